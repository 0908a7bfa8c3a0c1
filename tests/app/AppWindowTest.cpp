// The application's window under a virtual X server, playing on a JACK
// server of the test's own: a tone goes into in_1, the input meter moves
// while the output stays silent (the monitor is off at the first start), a
// click on "Monitor" lets the tone through, the settings page takes one
// click to choose the second input, and closing the window stops the
// program cleanly with all of it remembered. The last picture is kept in
// the build tree (app-window.png). A server that goes away leaves the
// window open with its message until the next one answers.

#include "AppProcesses.h"
#include "ApplicationHome.h"
#include "app/AppController.h"
#include "app/AppStyle.h"
#include "app/PresetFile.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <jack/jack.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace quenchbox;
using namespace quenchbox::apptest;

// Plays a 220 Hz tone at half scale into the application's first input.
struct Tone {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    double phase = 0.0;

    static int process(jack_nframes_t frames, void* self)
    {
        auto* tone = static_cast<Tone*>(self);
        auto* out = static_cast<float*>(jack_port_get_buffer(tone->port, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            out[i] = static_cast<float>(0.5 * std::sin(tone->phase));
            tone->phase = std::fmod(tone->phase + 2.0 * M_PI * 220.0 / kRate, 2.0 * M_PI);
        }
        return 0;
    }
};

// The bar's items where the application draws them, from the same table.
app::ItemBox boxOf(app::Command command, bool settingsPage = false, int argument = 0)
{
    app::AppEngine engine;
    app::AppSettings settings;
    app::AppController controller(engine, settings, {});
    if (settingsPage)
        controller.press(app::Command::showSettings, 0);
    if (command == app::Command::retryAudio) {
        app::AudioState lost;
        lost.lostMessage = "No audio.";
        controller.tick(0, lost);
    }
    for (const app::ViewItem& item : controller.view())
        if (item.command == command && item.argument == argument)
            return item.box;
    ADD_FAILURE() << "no such item";
    return {};
}

// The application's top-level window as another X client sees it.
class WindowUnderTest {
public:
    WindowUnderTest() : display(XOpenDisplay(nullptr)) {}
    ~WindowUnderTest()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }

    bool find()
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && window == 0; ++i) {
            char* name = nullptr;
            if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
                if (std::string(name) == "Quenchbox RZ")
                    window = children[i];
                XFree(name);
            }
        }
        if (children != nullptr)
            XFree(children);
        return window != 0;
    }

    bool shown()
    {
        XWindowAttributes attributes = {};
        return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
    }

    // The window's pixels as a cairo image (0x00RRGGBB), null while it is
    // not on the screen yet.
    cairo_surface_t* picture()
    {
        XWindowAttributes attributes = {};
        if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable)
            return nullptr;
        XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return nullptr;
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image->width, image->height);
        auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
        const int stride = cairo_image_surface_get_stride(surface) / 4;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                pixels[y * stride + x] = static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
        cairo_surface_mark_dirty(surface);
        XDestroyImage(image);
        return surface;
    }

    // How many pixels of the meter in `box` are lit green (the level's first
    // band).
    int greenPixels(const app::ItemBox& box) { return pixelsOf(box, app::kMeterBands[0].colour); }

    int pixelsOf(const app::ItemBox& box, std::uint32_t colour)
    {
        cairo_surface_t* surface = picture();
        if (surface == nullptr)
            return 0;
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
        const int stride = cairo_image_surface_get_stride(surface) / 4;
        int green = 0;
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                green += pixels[y * stride + x] == colour;
        cairo_surface_destroy(surface);
        return green;
    }

    void click(const app::ItemBox& box)
    {
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent event = {};
            event.xbutton.type = type;
            event.xbutton.display = display;
            event.xbutton.window = window;
            event.xbutton.button = Button1;
            event.xbutton.x = box.x + box.width / 2;
            event.xbutton.y = box.y + box.height / 2;
            event.xbutton.same_screen = True;
            XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
        }
        XFlush(display);
    }

    void close()
    {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }

    void save(const std::string& path)
    {
        cairo_surface_t* surface = picture();
        ASSERT_NE(surface, nullptr);
        cairo_surface_write_to_png(surface, path.c_str());
        cairo_surface_destroy(surface);
    }

    // The panel's own window, below the bar, is shown.
    bool panelShown()
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &children, &count);
        bool shown = false;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes = {};
            shown = shown || (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                              attributes.map_state == IsViewable);
        }
        if (children != nullptr)
            XFree(children);
        return shown;
    }

    Display* const display;
    Window window = 0;
};

std::string fileText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class ApplicationWindow : public ApplicationHome {};

TEST_F(ApplicationWindow, MetersMoveMonitorAndInputAnswerOneClickAndTheWindowClosesCleanly)
{
    JackServer server;
    ASSERT_TRUE(server.ready());
    Child application({QUENCHBOX_APP_PATH, "--server", server.name});
    ASSERT_EQ(application.line().rfind("JACK, 48 kHz", 0), 0u);

    Tone tone;
    tone.client = openClient(server.name, "quenchbox-tone");
    ASSERT_NE(tone.client, nullptr);
    tone.port = jack_port_register(tone.client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(tone.client, Tone::process, &tone);
    ASSERT_EQ(jack_activate(tone.client), 0);
    ASSERT_EQ(jack_connect(tone.client, jack_port_name(tone.port), "quenchbox-rz:in_1"), 0);

    WindowUnderTest window;
    ASSERT_NE(window.display, nullptr);
    ASSERT_TRUE(waitFor([&] { return window.find(); }));
    const app::ItemBox inputMeter = boxOf(app::Command::clearClip, false, 0);
    const app::ItemBox outputMeter = boxOf(app::Command::clearClip, false, 1);
    // The circuit's first periods settle with a faint click that the output
    // meter shows for a moment; then only the input moves.
    EXPECT_TRUE(waitFor([&] { return window.greenPixels(inputMeter) > 0 && window.greenPixels(outputMeter) == 0; }))
        << "the input meter shows the tone; nothing plays before the monitor is on";
    EXPECT_TRUE(window.panelShown());

    window.click(boxOf(app::Command::monitor));
    EXPECT_TRUE(waitFor([&] { return window.greenPixels(outputMeter) > 0; })) << "the monitor lets the tone through";
    window.save(std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/app-window.png");

    window.click(boxOf(app::Command::showSettings));
    EXPECT_TRUE(waitFor([&] { return !window.panelShown(); })) << "the settings page takes the panel's place";
    window.save(std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/app-window-settings.png");
    window.click(boxOf(app::Command::chooseInput, true, 1));
    EXPECT_TRUE(waitFor([&] { return window.greenPixels(inputMeter) == 0; })) << "input 2 carries nothing";
    window.click(boxOf(app::Command::closePage, true));
    EXPECT_TRUE(waitFor([&] { return window.panelShown(); })) << "the panel comes back";

    window.close();
    std::string last;
    for (std::string line = application.line(); !line.empty(); line = application.line())
        last = line;
    EXPECT_EQ(last.rfind("stopped after", 0), 0u) << last;
    EXPECT_EQ(application.stop(0), 0);
    jack_client_close(tone.client);

    const std::string remembered = fileText(app::appSettingsPath());
    EXPECT_NE(remembered.find("monitor=on"), std::string::npos) << remembered;
    EXPECT_NE(remembered.find("input=2"), std::string::npos) << remembered;
}

TEST_F(ApplicationWindow, StaysOpenWithItsMessageWhileTheServerIsAwayAndPlaysOnWhenItIsBack)
{
    auto server = std::make_unique<JackServer>();
    ASSERT_TRUE(server->ready());
    Child application({QUENCHBOX_APP_PATH, "--server", server->name});
    ASSERT_EQ(application.line().rfind("JACK, 48 kHz", 0), 0u);
    WindowUnderTest window;
    ASSERT_TRUE(waitFor([&] { return window.find() && window.shown(); }));
    const app::ItemBox route = boxOf(app::Command::retryAudio);
    EXPECT_EQ(window.pixelsOf(route, editor::kPreCurveColour), 0);

    server.reset();
    std::string line = application.line();
    if (line.rfind("first period", 0) == 0)
        line = application.line();
    EXPECT_EQ(line, "the JACK server went away; waiting for it to come back\n");
    EXPECT_TRUE(waitFor([&] { return window.pixelsOf(route, editor::kPreCurveColour) > 0; }))
        << "the first row says there is no audio";
    server = std::make_unique<JackServer>();
    ASSERT_TRUE(server->ready());
    EXPECT_EQ(application.line().rfind("JACK, 48 kHz, 128 frames", 0), 0u);
    EXPECT_TRUE(waitFor([&] { return window.pixelsOf(route, editor::kPreCurveColour) == 0; }));
    window.close();
    EXPECT_EQ(application.stop(0), 0);
}

}  // namespace
