// The LV2 UI as a host of ours embeds it: lilv finds it in the bundle, the
// host hands it an X11 parent, its resize and touch features, its options
// (the sample rate, and the scale where asked) and its write function,
// drives it through the idle interface on this thread, and forwards the
// plug-in's ports to it as port events. The UI meets the plug-in only
// through those ports: it runs the same whether the host also offers
// instance-access or not. The panel is the VST2 build's pixel for pixel; a
// drag reaches the control port as one gesture; the meters light the icons.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "Lv2TestInstance.h"
#include "editor/EditorLayout.h"
#include "effect/Programs.h"
#include "host/Lv2HostedPlugin.h"
#include "tests/editor/EditorHost.h"
#include "tests/editor/HostDrag.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace lv2test {
namespace {

using editortest::Picture;
namespace lv2 = quenchbox::lv2;
namespace effect = quenchbox::effect;

constexpr int kLevels = 8;
using editortest::kDriveX;
using editortest::kDriveY;
constexpr std::uint32_t kDrivePort = lv2::kFirstControl + effect::kDrive;
constexpr float kRate = 44100.0f;

struct HostCall {
    enum Kind { write, grab, release } kind;
    std::uint32_t port;
    float value;
};

// The bundle's UI binary, found as a host finds it.
std::string uiBinary(const quenchbox::host::Lv2HostedPlugin& bundle)
{
    LilvUIs* uis = lilv_plugin_get_uis(bundle.plugin());
    std::string path;
    LILV_FOREACH (uis, i, uis) {
        char* file = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(lilv_uis_get(uis, i))), nullptr);
        path = file;
        lilv_free(file);
    }
    lilv_uis_free(uis);
    return path;
}

struct HostOffer {
    bool instanceAccess = false;
    bool parent = true;
    float scale = 0.0f;  // ui:scaleFactor; 0 gives none
};

class UiHost {
public:
    explicit UiHost(HostOffer offer = {})
        : bundle(QUENCHBOX_LV2_BUNDLE), dsp(bundle.plugin(), kRate, nullptr), display(XOpenDisplay(nullptr)),
          library(dlopen(uiBinary(bundle).c_str(), RTLD_NOW | RTLD_LOCAL)), scale(offer.scale)
    {
        if (display == nullptr || library == nullptr || !dsp.created())
            return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 677, 480, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        dsp.activate();
        using Entry = const LV2UI_Descriptor* (*)(std::uint32_t);
        const auto entry = reinterpret_cast<Entry>(dlsym(library, "lv2ui_descriptor"));
        descriptor = entry != nullptr ? entry(0) : nullptr;
        instanceFeature = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(dsp.lilv())};
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
        resize = {this, [](LV2UI_Feature_Handle h, int width, int height) {
                      static_cast<UiHost*>(h)->size = {width, height};
                      return 0;
                  }};
        resizeFeature = {LV2_UI__resize, &resize};
        touch = {this, [](LV2UI_Feature_Handle h, std::uint32_t port, bool grabbed) {
                     static_cast<UiHost*>(h)->calls.push_back({grabbed ? HostCall::grab : HostCall::release, port, 0});
                 }};
        touchFeature = {LV2_UI__touch, &touch};
        map = {this, [](LV2_URID_Map_Handle h, const char* uri) {
                   auto& uris = static_cast<UiHost*>(h)->uris;
                   return uris.emplace(uri, static_cast<LV2_URID>(uris.size() + 1)).first->second;
               }};
        mapFeature = {LV2_URID__map, &map};
        const LV2_URID floatType = map.map(this, LV2_ATOM__Float);
        options.push_back({LV2_OPTIONS_INSTANCE, 0, map.map(this, LV2_PARAMETERS__sampleRate), sizeof(float),
                           floatType, &rate});
        if (scale > 0.0f)
            options.push_back({LV2_OPTIONS_INSTANCE, 0, map.map(this, LV2_UI__scaleFactor), sizeof(float), floatType,
                               &scale});
        options.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
        optionsFeature = {LV2_OPTIONS__options, options.data()};
        features = {&resizeFeature, &touchFeature, &mapFeature, &optionsFeature};
        if (offer.parent)
            features.push_back(&parentFeature);
        if (offer.instanceAccess)
            features.push_back(&instanceFeature);
        features.push_back(nullptr);
    }
    ~UiHost()
    {
        if (ui != nullptr)
            descriptor->cleanup(ui);
        if (library != nullptr)
            dlclose(library);
        if (display != nullptr)
            XCloseDisplay(display);
    }
    UiHost(const UiHost&) = delete;
    UiHost& operator=(const UiHost&) = delete;

    // As hosts do, the controls' values follow as port events.
    bool instantiate()
    {
        if (descriptor == nullptr)
            return false;
        const auto write = [](LV2UI_Controller c, std::uint32_t port, std::uint32_t size, std::uint32_t format,
                              const void* buffer) {
            if (size == sizeof(float) && format == 0)
                static_cast<UiHost*>(c)->calls.push_back({HostCall::write, port, *static_cast<const float*>(buffer)});
        };
        ui = descriptor->instantiate(descriptor, lv2::kPluginUri, QUENCHBOX_LV2_BUNDLE, write, this, &widget,
                                     features.data());
        for (int i = 0; ui != nullptr && i < effect::kParameterCount; ++i)
            portEvent(lv2::kFirstControl + static_cast<std::uint32_t>(i), dsp.control(i));
        return ui != nullptr;
    }

    // The host's UI loop: idle about every 10 ms for `ms` milliseconds.
    void runFor(int ms)
    {
        const auto idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            idle->idle(ui);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void portEvent(std::uint32_t port, float value) { descriptor->port_event(ui, port, sizeof(float), 0, &value); }

    // The plug-in's controls set to a program's values, and shown to the UI.
    void showProgram(int program)
    {
        float values[effect::kParameterCount];
        effect::programs::readValues(program, values);
        for (int i = 0; i < effect::kParameterCount; ++i) {
            dsp.control(i) = values[i];
            portEvent(lv2::kFirstControl + static_cast<std::uint32_t>(i), values[i]);
        }
    }

    Picture picture() const { return editortest::windowPicture(display, parent); }

    quenchbox::host::Lv2HostedPlugin bundle;
    Lv2TestInstance dsp;
    Display* display;
    void* library;
    Window parent = 0;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    std::pair<int, int> size{0, 0};
    std::vector<HostCall> calls;

private:
    float rate = kRate;
    float scale;
    std::map<std::string, LV2_URID> uris;
    LV2_Feature instanceFeature{};
    LV2_Feature parentFeature{};
    LV2UI_Resize resize{};
    LV2_Feature resizeFeature{};
    LV2UI_Touch touch{};
    LV2_Feature touchFeature{};
    LV2_URID_Map map{};
    LV2_Feature mapFeature{};
    std::vector<LV2_Options_Option> options;
    LV2_Feature optionsFeature{};
    std::vector<const LV2_Feature*> features;
};

// Programs in both circuit variants (RZ Mode 0: Default, OpAmp Solo; 1: Fat
// Blues, Screaming Solo, Modern Metal), with Bright, Scale, the supply and
// the op-amps' gain away from their defaults among them.
constexpr int kPrograms[] = {0, 1, 4, 6, 8};

class Lv2UiPanel : public ::testing::TestWithParam<bool> {};

TEST_P(Lv2UiPanel, EqualsTheVst2EditorsPixelForPixelForEveryProgramTried)
{
    std::vector<Picture> fromLv2;
    {
        UiHost host({GetParam()});
        ASSERT_TRUE(host.instantiate());
        const Window editor = editortest::childOf(host.display, host.parent);
        EXPECT_NE(editor, 0u);
        EXPECT_EQ(reinterpret_cast<Window>(host.widget), editor);
        EXPECT_EQ(host.size, std::make_pair(677, 480));
        for (int program : kPrograms) {
            host.showProgram(program);
            host.runFor(150);
            fromLv2.push_back(host.picture());
        }
        EXPECT_TRUE(host.calls.empty());  // the host's values are written nowhere back
    }
    // Last, once the UI is gone: the VST2 editor it must look like.
    for (std::size_t i = 0; i < fromLv2.size(); ++i) {
        SCOPED_TRACE(kPrograms[i]);
        const Picture fromVst2 = editortest::vst2EditorPicture(QUENCHBOX_PLUGIN_PATH, kPrograms[i]);
        ASSERT_EQ(fromVst2.width, 677);
        EXPECT_EQ(editortest::matchingShare(fromLv2[i], fromVst2, 0), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutInstanceAccess, Lv2UiPanel, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "HostOffersInstanceAccess" : "HostOffersNoInstanceAccess";
                         });

TEST(Lv2Ui, ALoudSignalLightsTheStageIconsThroughTheMeterPorts)
{
    UiHost host;
    ASSERT_TRUE(host.instantiate());
    host.runFor(100);
    const Picture dark = host.picture();

    host.dsp.control(effect::kDrive) = 1.0f;
    Stereo loud = testSignal(44100);  // a second, 18 dB up: the stages clip
    for (std::size_t i = 0; i < loud.left.size(); ++i) {
        loud.left[i] *= 8.0f;
        loud.right[i] *= 8.0f;
    }
    host.dsp.render(loud, 512);
    for (int m = 0; m < lv2::kMeterCount; ++m) {
        EXPECT_GT(host.dsp.meter(m), 0.0f) << m;
        host.portEvent(lv2::kClipMeterPort + static_cast<std::uint32_t>(m), host.dsp.meter(m));
    }
    host.runFor(100);
    const Picture lit = host.picture();
    for (const quenchbox::editor::IconPlace& icon : quenchbox::editor::kIcons)
        EXPECT_GT(editortest::differingPixels(dark, lit, icon.x, icon.y, 40, 40, kLevels), 0) << icon.x;
}

TEST(Lv2Ui, ADragIsWrittenToTheControlPortAsOneGesture)
{
    UiHost host;
    ASSERT_TRUE(host.instantiate());
    host.runFor(100);
    host.calls.clear();
    const float before = host.dsp.control(effect::kDrive);
    editortest::dragDrive(host, 40);  // 20 % up

    ASSERT_GE(host.calls.size(), 3u);
    EXPECT_EQ(host.calls.front().kind, HostCall::grab);
    EXPECT_EQ(host.calls.back().kind, HostCall::release);
    for (std::size_t i = 1; i + 1 < host.calls.size(); ++i)
        EXPECT_EQ(host.calls[i].kind, HostCall::write) << i;
    for (const HostCall& call : host.calls)
        EXPECT_EQ(call.port, kDrivePort);
    EXPECT_NEAR(host.calls[host.calls.size() - 2].value, before + 0.2f, 1e-6);
}

// A wheel notch and a double click (back to the port's default: LV2 shows a
// UI no selected program) are touched gestures of their own.
TEST(Lv2Ui, TheWheelAndADoubleClickAreTouchedGesturesToo)
{
    UiHost host;
    ASSERT_TRUE(host.instantiate());
    host.runFor(100);
    host.calls.clear();
    const float before = host.dsp.control(effect::kDrive);
    const Window editor = editortest::childOf(host.display, host.parent);
    editortest::sendButton(host.display, editor, ButtonPress, editortest::kDriveX, editortest::kDriveY, Button4, 0, 4000);
    // The gesture ends a moment after the last notch: run until it has.
    for (int i = 0; i < 400 && (host.calls.empty() || host.calls.back().kind != HostCall::release); ++i)
        host.runFor(25);
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].kind, HostCall::grab);
    EXPECT_EQ(host.calls[1].kind, HostCall::write);
    EXPECT_NEAR(host.calls[1].value, before + 0.01f, 1e-6);
    EXPECT_EQ(host.calls[2].kind, HostCall::release);

    host.calls.clear();
    for (unsigned long time : {5000ul, 5100ul}) {
        editortest::sendButton(host.display, editor, ButtonPress, editortest::kDriveX, editortest::kDriveY, Button1, 0,
                               time);
        editortest::sendButton(host.display, editor, ButtonRelease, editortest::kDriveX, editortest::kDriveY, Button1,
                               0, time + 20);
        host.runFor(50);
    }
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.back().kind, HostCall::release);
    EXPECT_FLOAT_EQ(host.calls[host.calls.size() - 2].value, effect::kParameters[effect::kDrive].defaultValue);
}

// The user's zoom in the panel (the badge's menu) asks the host to resize
// the UI's window through ui:resize.
TEST(Lv2Ui, AZoomInThePanelResizesThroughTheHost)
{
    UiHost host;
    ASSERT_TRUE(host.instantiate());
    host.runFor(100);
    const Window editor = editortest::childOf(host.display, host.parent);
    const auto click = [&](int x, int y) {
        editortest::sendButton(host.display, editor, ButtonPress, x, y, Button1, 0, 2000);
        editortest::sendButton(host.display, editor, ButtonRelease, x, y, Button1, 0, 2010);
        host.runFor(100);
    };
    click(634, 20);              // the badge opens the menu
    click(615, 34 + 4 + 60 + 10);  // "150 %"
    EXPECT_EQ(host.size, std::make_pair(1016, 720));
    click(634 * 3 / 2, 20 * 3 / 2);
    click(615 * 3 / 2, (34 + 4 + 10) * 3 / 2);  // "Auto": the screen's 100 %
    EXPECT_EQ(host.size, std::make_pair(677, 480));
}

// The host's ui:scaleFactor sets the size, as the host's scale does in the
// CLAP and VST3 builds.
TEST(Lv2Ui, TheHostsScaleFactorSizesTheWindow)
{
    UiHost host({false, true, 1.5f});
    ASSERT_TRUE(host.instantiate());
    EXPECT_EQ(host.size, std::make_pair(1016, 720));
}

TEST(Lv2Ui, AHostWithoutAParentWindowGetsNoUi)
{
    UiHost host({false, false});
    EXPECT_FALSE(host.instantiate());
    EXPECT_EQ(editortest::childOf(host.display, host.parent), 0u);
}

}  // namespace
}  // namespace lv2test
