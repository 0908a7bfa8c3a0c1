// The update check of the Linux editor against a loopback server: the
// answer appears inside the panel (the editor window's name carries its
// text, as a message box's would), Yes opens the download page through
// xdg-open, and every failure gives the same warning.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "EditorHost.h"
#include "LoopbackHttpServer.h"


#include <cstdlib>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace editortest {
namespace {

constexpr int kPort = 18732;
constexpr const char* kNoInformation = "Couldn't retreive update information at this moment";
constexpr const char* kLatest = "You are already using the latest version";
constexpr const char* kNewer = "New version is available. Proceed to download page?";
// The message's buttons: OK alone in the middle, or Yes left and No right of it.
constexpr int kButtonRow = 273;
constexpr int kOkX = 338;
constexpr int kYesX = 290;
constexpr int kNoX = 386;

const PluginLibrary& loopbackPlugin()
{
    static PluginLibrary library(QUENCHBOX_LOOPBACK_PLUGIN_PATH);
    return library;
}

// An xdg-open of our own first in PATH, which notes the page it was asked for.
class FakeBrowser {
public:
    FakeBrowser()
    {
        char pattern[] = "/tmp/quenchbox-browser-XXXXXX";
        folder = mkdtemp(pattern);
        std::ofstream(folder + "/xdg-open") << "#!/bin/sh\necho \"$1\" > \"" << folder << "/opened\"\n";
        chmod((folder + "/xdg-open").c_str(), 0755);
        const char* path = std::getenv("PATH");
        previousPath = path ? path : "";
        setenv("PATH", (folder + ":" + previousPath).c_str(), 1);
    }
    ~FakeBrowser()
    {
        setenv("PATH", previousPath.c_str(), 1);
        std::remove((folder + "/opened").c_str());
        std::remove((folder + "/xdg-open").c_str());
        rmdir(folder.c_str());
    }
    std::string opened(EditorHost& host) const
    {
        std::string page;
        host.idleUntil([&] {
            std::getline(std::ifstream(folder + "/opened"), page);
            return !page.empty();
        });
        return page;
    }

private:
    std::string folder;
    std::string previousPath;
};

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loopbackPlugin().loaded());
        host = std::make_unique<EditorHost>(loopbackPlugin());
        ASSERT_TRUE(host->ready());
        ASSERT_TRUE(host->openEditor());
        host->idleFor(100);
    }

    // Presses the update button and waits for the answer in the panel.
    std::string askForUpdate()
    {
        host->click(60, 20);
        return waitForAnswer();
    }

    std::string waitForAnswer()
    {
        host->idleUntil([&] { return host->editorWindowName() != "ZUK Quenchbox RZ"; });
        return host->editorWindowName();
    }

    void answer(int x)
    {
        host->click(x, kButtonRow);
        host->idleFor(100);
    }

    std::unique_ptr<EditorHost> host;
};

TEST_F(UpdateCheckTest, TheLatestVersionIsConfirmedWithOk)
{
    LoopbackHttpServer server(kPort, 200, versionFileWith(1001));
    ASSERT_TRUE(server.listening());
    const Picture before = host->screenshot();
    EXPECT_EQ(askForUpdate(), kLatest);
    EXPECT_GT(differingPixels(before, host->screenshot(), 158, 180, 361, 120, 8), 1000);  // the message shows
    answer(kNoX);  // no No button here
    EXPECT_EQ(host->editorWindowName(), kLatest);
    answer(kOkX);
    EXPECT_EQ(host->editorWindowName(), "ZUK Quenchbox RZ");
    EXPECT_EQ(differingPixels(before, host->screenshot(), 0, 0, 677, 480, 8), 0);
}

TEST_F(UpdateCheckTest, ANewerVersionOffersTheDownloadPage)
{
    FakeBrowser browser;
    LoopbackHttpServer server(kPort, 200, versionFileWith(1002));
    ASSERT_TRUE(server.listening());
    EXPECT_EQ(askForUpdate(), kNewer);
    savePng(host->screenshot(), std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/editor-linux-update.png");
    answer(kNoX);
    EXPECT_EQ(host->editorWindowName(), "ZUK Quenchbox RZ");
    EXPECT_EQ(askForUpdate(), kNewer);
    answer(kYesX);
    EXPECT_EQ(browser.opened(*host), "http://127.0.0.1:18732/quenchbox-rz");
}

TEST_F(UpdateCheckTest, APressDuringACheckStartsNoSecondOneAndTheButtonSpringsBack)
{
    LoopbackHttpServer server(kPort, 200, versionFileWith(1001), LoopbackHttpServer::Answers::whenReleased);
    ASSERT_TRUE(server.listening());
    const Picture before = host->screenshot();
    host->click(60, 20);
    ASSERT_TRUE(server.waitForRequests(1));  // the check now waits for its answer
    host->idleFor(0);
    EXPECT_EQ(differingPixels(before, host->screenshot(), 40, 0, 40, 40, 8), 0);  // the button is unlit again
    host->click(60, 20);  // while the first check waits for its answer
    ASSERT_TRUE(server.releaseAnswer());
    EXPECT_EQ(waitForAnswer(), kLatest);
    answer(kOkX);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ(host->editorWindowName(), "ZUK Quenchbox RZ");  // no second answer
}

TEST_F(UpdateCheckTest, AnInstanceClosedWhileACheckWaitsLeavesTheCheckHarmless)
{
    LoopbackHttpServer server(kPort, 200, versionFileWith(1002), LoopbackHttpServer::Answers::whenReleased);
    ASSERT_TRUE(server.listening());
    host->click(60, 20);
    ASSERT_TRUE(server.waitForRequests(1));
    host.reset();  // editor closed, instance gone, while the check waits for its answer
    ASSERT_TRUE(server.releaseAnswer());
    EXPECT_EQ(server.requests(), 1);
    EditorHost next(loopbackPlugin());  // the library still serves new instances
    ASSERT_TRUE(next.openEditor());
    next.idleFor(50);
}

TEST_F(UpdateCheckTest, EveryFailureGivesTheSameWarning)
{
    {
        LoopbackHttpServer server(kPort, 200, std::string("ABCD\x01\x02\x03\x04", 8));  // no record of ours
        ASSERT_TRUE(server.listening());
        EXPECT_EQ(askForUpdate(), kNoInformation);
        answer(kOkX);
    }
    {
        LoopbackHttpServer server(kPort, 404, versionFileWith(1002));  // an error page is not the file
        ASSERT_TRUE(server.listening());
        EXPECT_EQ(askForUpdate(), kNoInformation);
        answer(kOkX);
    }
    EXPECT_EQ(askForUpdate(), kNoInformation);  // nobody listening
    answer(kOkX);
    EXPECT_EQ(host->editorWindowName(), "ZUK Quenchbox RZ");
}

}  // namespace
}  // namespace editortest
