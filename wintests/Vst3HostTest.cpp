// The Windows VST3 bundle in a host: the module in
// QuenchboxRZ.vst3\Contents\x86_64-win loaded with LoadLibraryA, InitDll,
// the factory; its audio and state against the VST2 DLL, and its view
// attached to a host window, pictured beside the VST2 editor.

#include "EditorHost.h"
#include "FormatReference.h"
#include "Pixels.h"
#include "TestPaths.h"
#include "WinTest.h"
#include "host/Vst3Instance.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace quenchbox::host;

constexpr int32 kFrames = wintest::kReferenceFrames;
constexpr ParamID kOversample = 13;
constexpr ParamID kProgram = 0x70726F67;

// The module stays loaded for the whole program, as a host keeps it.
const Vst3Module& module()
{
    static const Vst3Module loaded(wintest::besideThisProgram("QuenchboxRZ.vst3"));
    return loaded;
}

std::unique_ptr<Vst3Instance> createVst3()
{
    static const PClassInfo2 info = module().audioClass();
    return std::make_unique<Vst3Instance>(module().factory(), info.cid);
}

template <typename Sample>
std::vector<Sample> renderVst3(Vst3Instance& vst3)
{
    std::vector<Sample> left = wintest::guitarLike<Sample>();
    std::vector<Sample> right = left;
    Sample* channels[2] = {left.data(), right.data()};
    if (!vst3.start(44100.0, kFrames, sizeof(Sample) == sizeof(float) ? kSample32 : kSample64))
        return {};
    vst3.process(channels, channels, kFrames);
    vst3.stop();
    return left;
}

WINTEST(TheBundleDescribesOneDistortionClass)
{
    const PClassInfo2 info = module().audioClass();
    CHECK(std::strcmp(info.name, "Quenchbox RZ") == 0);
    CHECK(std::strcmp(info.subCategories, "Fx|Distortion") == 0);
    CHECK(InterfaceId(0x1AF61810, 0xEDC301AE, 0xAA886F86, 0x6367EA7D).matches(info.cid));
    const auto vst3 = createVst3();
    CHECK_EQ(vst3->controller().getParameterCount(), 17);
    CHECK_EQ(vst3->parameterText(7, 0.5), std::string("9.0 V"));
}

WINTEST(AudioIsBitIdenticalToTheVst2Dll)
{
    const std::vector<float> left = wintest::vst2OversampledProgram(4);
    REQUIRE(!left.empty());

    const auto vst3 = createVst3();
    vst3->controller().setParamNormalized(kProgram, 4.0 / 15.0);
    vst3->controller().setParamNormalized(kOversample, 1.0);
    CHECK_EQ(vst3->processor().getLatencySamples(), 8u);
    CHECK(renderVst3<float>(*vst3) == left);
    CHECK(!renderVst3<double>(*vst3).empty());
}

WINTEST(StateRoundTripsAndDamagedStatesAreRefused)
{
    const auto original = createVst3();
    original->controller().setParamNormalized(kProgram, 2.0 / 15.0);
    std::vector<std::uint8_t> saved;
    REQUIRE(original->saveState(saved, 1));
    CHECK_EQ(saved.size(), std::size_t(104));

    const auto restored = createVst3();
    CHECK_EQ(restored->loadState(saved, 3), kResultOk);
    std::vector<std::uint8_t> again;
    CHECK(restored->saveState(again) && again == saved);
    CHECK(renderVst3<double>(*restored) == renderVst3<double>(*original));

    const auto untouched = createVst3();
    std::vector<std::uint8_t> before;
    untouched->saveState(before);
    std::vector<std::uint8_t> damaged = saved;
    damaged[40] ^= 1;
    CHECK_EQ(untouched->loadState(damaged), kResultFalse);
    CHECK_EQ(untouched->loadState(std::vector<std::uint8_t>(saved.begin(), saved.begin() + 50)), kResultFalse);
    std::vector<std::uint8_t> after;
    untouched->saveState(after);
    CHECK(after == before);
}

// A host may hold its own locks while it sets the program: the host hears of
// the new values from the plug-in's timer on its UI thread's message loop,
// after its call returned, even with no view open.
WINTEST(AProgramChangeReachesTheHostFromTheMessageLoopAfterItsCall)
{
    const auto vst3 = createVst3();
    REQUIRE(vst3->start(44100.0, 512, kSample32));
    HostContext& host = vst3->host();
    {
        const HostContext::Calling calling(host, "setParamNormalized");
        vst3->controller().setParamNormalized(kProgram, 4.0 / 15.0);
    }
    CHECK(host.callbacks().empty());
    {
        const HostContext::Calling loop(host, HostContext::kRunLoop);
        for (int wait = 0; wait < 100 && host.restartFlags() == 0; ++wait)
            wintest::pumpMessages(20);
    }
    CHECK_EQ(host.restartFlags(), kParamValuesChanged);
    for (const HostCallback& callback : host.callbacks()) {
        CHECK(std::strcmp(callback.during, HostContext::kRunLoop) == 0);
        CHECK(callback.thread == std::this_thread::get_id());
    }
    vst3->stop();
}

struct Vst3Editor {
    std::unique_ptr<Vst3Instance> vst3 = createVst3();
    IPlugView* view = vst3->controller().createView("editor");
    HWND host = wintest::createHostWindow();

    ~Vst3Editor()
    {
        if (view != nullptr)
            view->release();
        DestroyWindow(host);
    }
    HWND editorWindow() const { return FindWindowExA(host, nullptr, wintest::kEditorWindowClass, nullptr); }
    bool attach()
    {
        const bool attached = view != nullptr && view->attached(host, kPlatformTypeHWND) == kResultOk;
        wintest::pumpMessages(300);
        return attached;
    }
};

WINTEST(TheViewAttachesToAnHwndOnlyAndGoesWithRemoved)
{
    Vst3Editor editor;
    REQUIRE(editor.view != nullptr);
    CHECK_EQ(editor.view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    CHECK_EQ(editor.view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    CHECK_EQ(editor.view->attached(editor.host, kPlatformTypeX11EmbedWindowID), kResultFalse);
    ViewRect size{};
    CHECK_EQ(editor.view->getSize(&size), kResultOk);
    CHECK_EQ(size.right - size.left, 677);
    CHECK_EQ(size.bottom - size.top, 480);
    REQUIRE(editor.attach());
    CHECK(editor.editorWindow() != nullptr);
    CHECK_EQ(editor.view->removed(), kResultOk);
    CHECK(editor.editorWindow() == nullptr);
    CHECK(editor.attach());
    CHECK(editor.editorWindow() != nullptr);
    // Released while attached: the view takes its window along.
    editor.view->release();
    editor.view = nullptr;
    wintest::pumpMessages(50);
    CHECK(editor.editorWindow() == nullptr);
}

WINTEST(TheHostsContentScaleSetsTheStep)
{
    Vst3Editor editor;
    REQUIRE(editor.attach());
    void* found = nullptr;
    REQUIRE(editor.view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found) == kResultOk);
    auto* scaling = static_cast<IPlugViewContentScaleSupport*>(found);
    CHECK_EQ(editor.view->canResize(), kResultTrue);
    CHECK_EQ(scaling->setContentScaleFactor(2.0f), kResultOk);
    wintest::pumpMessages(100);
    ViewRect size{};
    CHECK_EQ(editor.view->getSize(&size), kResultOk);
    CHECK_EQ(size.right - size.left, 1354);
    CHECK_EQ(size.bottom - size.top, 960);
    RECT client{};
    GetClientRect(editor.editorWindow(), &client);
    CHECK_EQ(client.right, 1354);
    CHECK_EQ(client.bottom, 960);
    ViewRect proposed{0, 0, 1100, 800};
    CHECK_EQ(editor.view->checkSizeConstraint(&proposed), kResultTrue);
    CHECK_EQ(proposed.right, 1016);
    CHECK_EQ(proposed.bottom, 720);
    scaling->release();
}

WINTEST(TheEditorLooksExactlyAsInTheVst2Build)
{
    const wintest::Image expected = wintest::vst2EditorPicture();
    REQUIRE(expected.width == 677);
    Vst3Editor editor;
    REQUIRE(editor.attach() && editor.editorWindow() != nullptr);
    const wintest::Image actual = wintest::captureWindow(editor.editorWindow());
    CHECK_EQ(actual.width, 677);
    CHECK_EQ(actual.height, 480);
    CHECK_EQ(wintest::largestDifference(actual, expected), 0);
}

}  // namespace
