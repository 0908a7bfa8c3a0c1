// The window's audio kept going: a back-end that cannot open or goes away
// leaves its reason for the window and is tried again, on the clock and on
// request; dropouts add up over the back-ends of one run.

#include "app/AudioKeeper.h"

#include <gtest/gtest.h>

#include <vector>

namespace quenchbox::app {
namespace {

struct FakeAudio : AudioBackend {
    bool open(std::string&) override { return true; }
    void close() override {}
    std::string route() const override { return "Fake, 48 kHz"; }
    std::string name() const override { return "fake device"; }
    bool playing() const override { return true; }
    bool lost() const override { return gone; }
    int dropouts() const override { return 3; }

    bool gone = false;
};

TEST(AudioKeeper, RetriesWhatWentAwayOnTheClockAndOnRequestAndCountsEveryDropout)
{
    bool available = false;
    FakeAudio* current = nullptr;
    int opens = 0;
    std::vector<std::string> said;
    AudioKeeper keeper(
        [&](std::string& error) -> std::unique_ptr<AudioBackend> {
            ++opens;
            if (!available) {
                error = "no device";
                return nullptr;
            }
            auto audio = std::make_unique<FakeAudio>();
            current = audio.get();
            return audio;
        },
        [&](const std::string& line) { said.push_back(line); });

    keeper.tick(0, false);
    EXPECT_EQ(keeper.state().lostMessage, "No audio.");
    EXPECT_EQ(keeper.state().lostDetail, "no device");
    keeper.tick(400, false);
    EXPECT_EQ(opens, 1) << "not before half a second";
    available = true;
    keeper.tick(500, false);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(keeper.state().route, "Fake, 48 kHz");
    EXPECT_TRUE(keeper.state().lostMessage.empty());

    current->gone = true;
    keeper.tick(533, false);
    EXPECT_EQ(keeper.state().lostMessage, "The fake device went away.");
    keeper.tick(566, true);
    EXPECT_EQ(opens, 3) << "at once when asked";
    EXPECT_EQ(keeper.state().dropouts, 6) << "the first back-end's and this one's";
    keeper.stop();
    EXPECT_EQ(said.back(), "stopped after 6 dropouts");
}

}  // namespace
}  // namespace quenchbox::app
