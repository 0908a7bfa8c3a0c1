// The editor as a DAW's user meets it: opened in the host's window, driven
// through real window messages while audio runs, judged by what the host is
// told and by the pixels on screen.

#include "EditorHost.h"
#include "GuiObjectCount.h"
#include "LoopbackHttpServer.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WidgetFixture.h"
#include "WinTest.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

using namespace wintest;

struct Place {
    int x;
    int y;
    int width;
    int height;
};

// The editor's 26 widgets: six dials, three icons, eight buttons, four
// sliders, the scope and four value labels.
constexpr Place kWidgets[26] = {
    {27, 171, 94, 94},  {127, 171, 94, 94}, {257, 171, 94, 94}, {357, 171, 94, 94},  {457, 171, 94, 94},
    {557, 171, 94, 94}, {152, 80, 63, 58},  {34, 82, 59, 54},   {93, 82, 59, 54},    {80, 0, 40, 40},
    {120, 0, 40, 40},   {40, 0, 40, 40},    {0, 0, 40, 40},     {113, 316, 58, 28},  {113, 356, 58, 28},
    {113, 396, 58, 28}, {113, 436, 58, 28}, {350, 316, 194, 28}, {350, 356, 194, 28}, {350, 396, 194, 28},
    {350, 436, 194, 28}, {464, 82, 180, 54}, {562, 316, 58, 28}, {562, 356, 58, 28}, {562, 396, 58, 28},
    {562, 436, 58, 28},
};
enum : int {
    kDriveDial = 0,
    kDeepDial = 2,
    kSolverIcon = 6,
    kStageAIcon = 7,
    kUpdateButton = 11,
    kAboutButton = 12,
    kModeButton = 13,
    kVoltageSlider = 17,
    kScope = 21,
    kVoltageLabel = 22,
};
enum : int { kDrive = 1, kTreble = 5, kVoltage = 7, kOpAmpGain = 8, kScale = 10, kRzMode = 11, kMix = 15 };

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

HWND widget(const EditorSession& session, int index) { return session.widgetAt(kWidgets[index].x, kWidgets[index].y); }

Image capture(const EditorSession& session, int index) { return captureWindow(widget(session, index)); }

void click(HWND window, int x, int y)
{
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    SendMessageA(window, WM_LBUTTONUP, 0, at(x, y));
}

bool visible(const EditorSession& session, int index) { return IsWindowVisible(widget(session, index)) != FALSE; }

// What a value label with this text looks like: the same label class over
// the same panel, drawn by the toolkit in a window of the test's own.
Image referenceLabel(int row, const char* text)
{
    PanelWindow panel(pluginModule());
    quenchbox::editor::CLabel label;
    label.create(pluginModule(), panel.handle(), panel.panel(), kWidgets[kVoltageLabel + row].y);
    label.setText(text);
    InvalidateRect(label.window(), nullptr, FALSE);
    pumpMessages(20);
    return captureWindow(label.window());
}

bool labelReads(const EditorSession& session, int row, const char* text)
{
    return largestDifference(capture(session, kVoltageLabel + row), referenceLabel(row, text)) <= 2;
}

WINTEST(TheEditorAsksForItsPanelAndPlacesEveryWidget)
{
    EditorSession session;
    REQUIRE(session.effect() != nullptr);
    CHECK_EQ(session.effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
    ERect* rect = nullptr;
    CHECK_EQ(session.dispatch(effEditGetRect, 0, 0, &rect), 1);
    REQUIRE(rect != nullptr);
    CHECK_EQ(rect->right - rect->left, 677);
    CHECK_EQ(rect->bottom - rect->top, 480);
    CHECK_EQ(session.dispatch(effEditOpen, 0, 0, nullptr), 0);

    REQUIRE(session.open());
    for (int i = 0; i < 26; ++i) {
        HWND window = widget(session, i);
        CHECK(window != nullptr);
        RECT size = {};
        GetClientRect(window, &size);
        CHECK_EQ(size.right, kWidgets[i].width);
        CHECK_EQ(size.bottom, kWidgets[i].height);
        CHECK_EQ(visible(session, i), i != kDeepDial);  // the first variant has no Deep dial
    }
    // The first refresh takes every parameter and writes none.
    CHECK(automationLog().take().empty());
    CHECK(labelReads(session, 0, "9.0 V"));
    CHECK(labelReads(session, 1, "100%"));
    CHECK(labelReads(session, 2, "0%"));
    CHECK(labelReads(session, 3, "100%"));
}

WINTEST(ADialDragWritesItsParameterInHundredthsAndTellsTheHost)
{
    EditorSession session;
    REQUIRE(session.open());
    automationLog().take();
    HWND drive = widget(session, kDriveDial);
    SendMessageA(drive, WM_LBUTTONDOWN, MK_LBUTTON, at(47, 60));
    SendMessageA(drive, WM_MOUSEMOVE, MK_LBUTTON, at(47, 20));  // 40 px up: 20 percent more
    SendMessageA(drive, WM_LBUTTONUP, 0, at(47, 20));
    pumpMessages(120);

    const auto automations = automationLog().take();
    REQUIRE(!automations.empty());
    CHECK_EQ(automations.back().first, kDrive);
    const float value = automations.back().second;
    CHECK(std::fabs(value * 100.0f - std::nearbyint(value * 100.0f)) < 1e-4f);
    CHECK(std::fabs(value - 0.53f) < 1e-6f);  // 0.33 and the drag's 20 percent
    CHECK_EQ(session.parameter(kDrive), value);
}

WINTEST(HostAutomationMovesTheControlsAndTheirTexts)
{
    EditorSession session;
    REQUIRE(session.open());
    const Image driveBefore = capture(session, kDriveDial);
    const Image sliderBefore = capture(session, kVoltageSlider);
    session.setParameter(kDrive, 0.9f);
    session.setParameter(kVoltage, 1.0f);
    session.setParameter(kOpAmpGain, 0.75f);
    session.setParameter(kScale, 0.6f);
    session.setParameter(kMix, 0.4f);
    pumpMessages(120);
    CHECK(largestDifference(driveBefore, capture(session, kDriveDial)) > 64);
    CHECK(largestDifference(sliderBefore, capture(session, kVoltageSlider)) > 64);
    CHECK(labelReads(session, 0, "30.0 V"));
    CHECK(labelReads(session, 1, "75%"));
    CHECK(labelReads(session, 2, "+10%"));
    CHECK(labelReads(session, 3, "40%"));
    session.setParameter(kScale, 0.4f);
    session.setParameter(kMix, 0.0f);
    pumpMessages(120);
    CHECK(labelReads(session, 2, "-10%"));
    CHECK(labelReads(session, 3, "0%"));
    CHECK(automationLog().take().empty());  // moved by the host: nothing to report back
}

WINTEST(TheCircuitVariantShowsOrHidesTheDeepDial)
{
    EditorSession session;
    REQUIRE(session.open());
    session.setParameter(kRzMode, 1.0f);
    pumpMessages(80);
    CHECK(visible(session, kDeepDial));
    session.setParameter(kRzMode, 0.49f);
    pumpMessages(80);
    CHECK(!visible(session, kDeepDial));

    click(widget(session, kModeButton), 20, 14);
    CHECK_EQ(session.parameter(kRzMode), 1.0f);
    CHECK(visible(session, kDeepDial));
    click(widget(session, kModeButton), 20, 14);
    CHECK_EQ(session.parameter(kRzMode), 0.0f);
    CHECK(!visible(session, kDeepDial));

    // Leaving the about view, or reopening, keeps it hidden in the first variant.
    click(widget(session, kAboutButton), 20, 20);
    click(widget(session, kAboutButton), 20, 20);
    pumpMessages(50);
    CHECK(!visible(session, kDeepDial));
    session.close();
    REQUIRE(session.open());
    CHECK(!visible(session, kDeepDial));
}

WINTEST(TheAboutViewKeepsOnlyTheTopButtons)
{
    EditorSession session;
    REQUIRE(session.open());
    const Image normal = captureWindow(session.editorWindow());
    click(widget(session, kAboutButton), 20, 20);
    pumpMessages(50);
    for (int i = 0; i < 26; ++i)
        CHECK_EQ(visible(session, i), i >= 9 && i <= 12);
    CHECK(largestDifference(normal, captureWindow(session.editorWindow())) > 64);  // the about panel and its texts
    click(widget(session, kAboutButton), 20, 20);
    pumpMessages(50);
    for (int i = 0; i < 26; ++i)
        CHECK_EQ(visible(session, i), i != kDeepDial);
}

WINTEST(ALoudSignalLightsTheStageIconsAndSilenceLetsThemFade)
{
    EditorSession session;
    REQUIRE(session.open());
    const Image dark = capture(session, kStageAIcon);
    session.startAudio(0.9f);
    REQUIRE(session.pumpWhileAudioPlays());
    CHECK(largestDifference(dark, capture(session, kStageAIcon)) > 32);
    CHECK(largestDifference(dark, capture(session, kSolverIcon)) >= 0);
    session.setAmplitude(0.0f);
    REQUIRE(session.pumpWhileAudioPlays());
    CHECK(largestDifference(dark, capture(session, kStageAIcon)) <= 8);
    session.stopAudio();
}

WINTEST(TheResponseDisplayFollowsTheCoefficients)
{
    EditorSession session;
    REQUIRE(session.open());
    session.startAudio(0.1f);
    REQUIRE(session.pumpWhileAudioPlays());
    const Image first = capture(session, kScope);
    session.setParameter(kTreble, 0.05f);
    REQUIRE(session.pumpWhileAudioPlays());
    const Image toneChanged = capture(session, kScope);
    CHECK(largestDifference(first, toneChanged) > 64);
    session.setParameter(kDrive, 1.0f);
    REQUIRE(session.pumpWhileAudioPlays());
    const Image driveChanged = capture(session, kScope);
    CHECK(largestDifference(toneChanged, driveChanged) > 64);
    session.dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f);
    REQUIRE(session.pumpWhileAudioPlays());
    CHECK(largestDifference(driveChanged, capture(session, kScope)) > 64);
    session.stopAudio();
}

WINTEST(TwoInstancesKeepTheirEditorsOpenAtOnce)
{
    EditorSession first;
    EditorSession second;
    REQUIRE(first.open());
    REQUIRE(second.open());
    first.startAudio(0.5f);
    second.startAudio(0.5f);
    first.setParameter(kRzMode, 1.0f);
    REQUIRE(first.pumpWhileAudioPlays());
    CHECK(visible(first, kDeepDial));
    CHECK(!visible(second, kDeepDial));
    first.destroyInstance();
    pumpMessages(50);
    CHECK(widget(second, kScope) != nullptr);
}

WINTEST(OpeningAndClosingLeavesNoGuiObjectsBehind)
{
    {
        EditorSession warmUp;
        for (int round = 0; round < 3; ++round) {
            warmUp.open();
            warmUp.close();
        }
    }
    const int gdiBefore = gdiObjectCount();
    const int userBefore = userObjectCount();
    {
        EditorSession session;
        REQUIRE(session.effect() != nullptr);
        for (int round = 0; round < 100; ++round) {
            REQUIRE(session.open());
            session.close();
        }
    }
    pumpMessages(50);
    CHECK_EQ(gdiObjectCount(), gdiBefore);
    CHECK_EQ(userObjectCount(), userBefore);
}

std::string versionFile(std::initializer_list<std::pair<const char*, unsigned>> records)
{
    std::string file;
    for (const auto& [id, version] : records) {
        file.append(id, 4);
        for (int shift = 0; shift < 32; shift += 8)
            file.push_back(static_cast<char>((version >> shift) & 0xFF));
    }
    return file;
}

const char* const kLatest = "You are already using the latest version";
const char* const kNewer = "New version is available. Proceed to download page?";
const char* const kNoInformation = "Couldn't retreive update information at this moment";

WINTEST(TheUpdateCheckAnswersForEveryVersionFile)
{
    auto server = std::make_unique<LoopbackHttpServer>(kUpdateServerPort);
    REQUIRE(server->listening());
    MessageBoxAnswerer answerer;
    EditorSession session;
    REQUIRE(session.open());
    auto press = [&] {
        click(widget(session, kUpdateButton), 20, 20);
        return answerer.nextText();
    };
    auto check = [&](int status, const std::string& body) {
        server->serve(status, body);
        return press();
    };
    CHECK_EQ(check(200, versionFile({{"YLPT", 1001}})), std::string(kLatest));
    CHECK_EQ(check(200, versionFile({{"YLPT", 1000}})), std::string(kNewer));
    CHECK_EQ(check(200, versionFile({{"YLPT", 1002}})), std::string(kNewer));
    CHECK_EQ(check(200, versionFile({{"ABCD", 7}, {"EFGH", 1002}, {"YLPT", 1001}, {"YLPT", 5}})), std::string(kLatest));
    CHECK_EQ(check(200, ""), std::string(kNoInformation));
    CHECK_EQ(check(200, "YLPT"), std::string(kNoInformation));
    CHECK_EQ(check(404, versionFile({{"YLPT", 1001}})), std::string(kNoInformation));
    server.reset();  // nothing listens any more: the connection is refused
    CHECK_EQ(press(), std::string(kNoInformation));

    // A reopened editor has a new window; its checks still answer.
    session.close();
    REQUIRE(session.open());
    CHECK_EQ(press(), std::string(kNoInformation));
}

WINTEST(ASecondPressDuringACheckStartsNothingAndSpringsBack)
{
    LoopbackHttpServer server(kUpdateServerPort);
    REQUIRE(server.listening());
    MessageBoxAnswerer answerer;
    EditorSession session;
    REQUIRE(session.open());
    const Image released = capture(session, kUpdateButton);
    server.serve(200, versionFile({{"YLPT", 1001}}));
    server.hold(true);
    click(widget(session, kUpdateButton), 20, 20);
    pumpMessages(300);
    CHECK_EQ(largestDifference(released, capture(session, kUpdateButton)), 0);
    click(widget(session, kUpdateButton), 20, 20);
    pumpMessages(300);
    CHECK_EQ(largestDifference(released, capture(session, kUpdateButton)), 0);
    server.hold(false);
    CHECK_EQ(answerer.nextText(), std::string(kLatest));
    pumpMessages(300);
    CHECK_EQ(server.requests(), 1);
    CHECK_EQ(answerer.answered(), 1);
}

WINTEST(ClosingTheInstanceAndUnloadingTheLibraryDuringACheckIsSafe)
{
    // A copy under its own name, so that this host's release is the last one.
    const std::string copy = besideThisProgram("QuenchboxRZ-unload.dll");
    REQUIRE(CopyFileA(besideThisProgram(kEditorTestLibrary).c_str(), copy.c_str(), FALSE));
    LoopbackHttpServer server(kUpdateServerPort);
    REQUIRE(server.listening());
    MessageBoxAnswerer answerer;
    {
        EditorSession session("QuenchboxRZ-unload.dll");
        REQUIRE(session.open());
        server.serve(200, versionFile({{"YLPT", 1002}}));
        server.hold(true);
        click(widget(session, kUpdateButton), 20, 20);
        pumpMessages(200);
    }  // the editor, the instance and this host's hold on the library go while the check waits
    server.hold(false);
    CHECK_EQ(answerer.nextText(), std::string(kNewer));
    // The check's thread lets go of the library last, once it has shown its answer.
    CHECK(pumpUntil([] { return GetModuleHandleA("QuenchboxRZ-unload.dll") == nullptr; }));
    DeleteFileA(copy.c_str());
}

}  // namespace
