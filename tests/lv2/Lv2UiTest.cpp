// The LV2 UI as a host of ours embeds it: lilv finds it in the bundle, the
// host hands it the running instance (instance-access), an X11 parent, its
// resize and touch features and its write function, and drives it through
// the idle interface on this thread. The panel is the VST2 build's; a drag
// reaches the control port as one gesture; a host without instance-access
// gets no UI.

// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "Lv2TestInstance.h"
#include "host/Lv2HostedPlugin.h"
#include "tests/editor/EditorHost.h"
#include "tests/editor/HostDrag.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <dlfcn.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace lv2test {
namespace {

using editortest::Picture;
namespace lv2 = quenchbox::lv2;

constexpr int kLevels = 8;
using editortest::kDriveX;
using editortest::kDriveY;
constexpr std::uint32_t kDrivePort = lv2::kFirstControl + quenchbox::effect::kDrive;

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

class UiHost {
public:
    explicit UiHost(bool offerInstance)
        : bundle(QUENCHBOX_LV2_BUNDLE), dsp(bundle.plugin(), 44100.0, nullptr), display(XOpenDisplay(nullptr)),
          library(dlopen(uiBinary(bundle).c_str(), RTLD_NOW | RTLD_LOCAL))
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
        features = {&parentFeature, &resizeFeature, &touchFeature};
        if (offerInstance)
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
    LV2_Feature instanceFeature{};
    LV2_Feature parentFeature{};
    LV2UI_Resize resize{};
    LV2_Feature resizeFeature{};
    LV2UI_Touch touch{};
    LV2_Feature touchFeature{};
    std::vector<const LV2_Feature*> features;
};

TEST(Lv2Ui, EmbedsTheSamePanelAsTheVst2BuildAndShowsTheHostsValues)
{
    UiHost host(true);
    ASSERT_TRUE(host.instantiate());
    const Window editor = editortest::childOf(host.display, host.parent);
    EXPECT_NE(editor, 0u);
    EXPECT_EQ(reinterpret_cast<Window>(host.widget), editor);
    EXPECT_EQ(host.size, std::make_pair(677, 480));
    host.runFor(300);
    const Picture fromLv2 = editortest::windowPicture(host.display, host.parent);

    // A value the host shows on a port moves the dial.
    host.portEvent(kDrivePort, 1.0f);
    host.runFor(100);
    EXPECT_GT(editortest::differingPixels(fromLv2, editortest::windowPicture(host.display, host.parent), kDriveX - 40,
                                          kDriveY - 40, 80, 80, kLevels),
              0);
    EXPECT_TRUE(host.calls.empty());  // and writes nothing back

    // Last, while the UI draws no more: the VST2 editor it must look like.
    EXPECT_GT(editortest::shareLikeVst2Editor(QUENCHBOX_PLUGIN_PATH, fromLv2, "LV2", kLevels), 0.999);
}

TEST(Lv2Ui, ADragIsWrittenToTheControlPortAsOneGesture)
{
    UiHost host(true);
    ASSERT_TRUE(host.instantiate());
    host.runFor(100);
    host.calls.clear();
    const float before = host.dsp.control(quenchbox::effect::kDrive);
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

// The user's zoom in the panel (the badge's menu) asks the host to resize
// the UI's window through ui:resize.
TEST(Lv2Ui, AZoomInThePanelResizesThroughTheHost)
{
    UiHost host(true);
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

TEST(Lv2Ui, AHostWithoutInstanceAccessGetsNoUi)
{
    UiHost host(false);
    EXPECT_FALSE(host.instantiate());
    EXPECT_EQ(editortest::childOf(host.display, host.parent), 0u);
}

}  // namespace
}  // namespace lv2test
