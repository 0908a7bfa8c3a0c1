#include "EditorHost.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <cairo.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace editortest {

namespace {

constexpr unsigned long kApart = 600;  // ms between synthetic presses: never a double click

int channelDifference(std::uint32_t a, std::uint32_t b, int shift)
{
    return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
}

bool within(std::uint32_t a, std::uint32_t b, int levels)
{
    return channelDifference(a, b, 16) <= levels && channelDifference(a, b, 8) <= levels &&
           channelDifference(a, b, 0) <= levels;
}

}  // namespace

double matchingShare(const Picture& a, const Picture& b, int levels)
{
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0.0;
    std::size_t matching = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        matching += within(a.pixels[i], b.pixels[i], levels) ? 1 : 0;
    return static_cast<double>(matching) / static_cast<double>(a.pixels.size());
}

int differingPixels(const Picture& a, const Picture& b, int x, int y, int width, int height, int levels)
{
    int differing = 0;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column)
            differing += within(a.at(column, row), b.at(column, row), levels) ? 0 : 1;
    return differing;
}

Picture loadPng(const std::string& path)
{
    Picture picture;
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(image);
        picture.width = cairo_image_surface_get_width(image);
        picture.height = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF);
    }
    cairo_surface_destroy(image);
    return picture;
}

bool savePng(const Picture& picture, const std::string& path)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
    const int stride = cairo_image_surface_get_stride(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = picture.at(x, y);
    cairo_surface_mark_dirty(image);
    const bool saved = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return saved;
}

long resourcesOfAllClients(Display* display)
{
    int count = 0;
    XResClient* clients = nullptr;
    if (!XResQueryClients(display, &count, &clients))
        return -1;
    long total = 0;
    for (int i = 0; i < count; ++i) {
        int types = 0;
        XResType* kinds = nullptr;
        if (XResQueryClientResources(display, clients[i].resource_base, &types, &kinds)) {
            for (int t = 0; t < types; ++t)
                total += kinds[t].count;
            XFree(kinds);
        }
    }
    XFree(clients);
    return total;
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

PluginLibrary::PluginLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        dlclose(handle);
}

AEffect* PluginLibrary::instantiate(audioMasterCallback host) const
{
    using EntryPoint = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "VSTPluginMain"));
    return entry != nullptr ? entry(host) : nullptr;
}

EditorHost::EditorHost(const PluginLibrary& library)
    : display(XOpenDisplay(nullptr)), effect(library.instantiate(hostCallback))
{
    if (effect != nullptr)
        effect->user = this;
}

EditorHost::~EditorHost()
{
    stopAudio();
    if (effect != nullptr) {
        closeEditor();
        dispatch(effClose);
    }
    if (display != nullptr) {
        if (parentWindow != 0)
            XDestroyWindow(display, parentWindow);
        XCloseDisplay(display);
    }
}

VstIntPtr VSTCALLBACK EditorHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                               void*, float opt)
{
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (effect == nullptr || effect->user == nullptr)
        return 0;
    auto* host = static_cast<EditorHost*>(effect->user);
    {
        std::lock_guard<std::mutex> guard(host->callLock);
        host->calls.push_back({opcode, index, opt});
    }
    if (opcode == audioMasterBeginEdit && host->closeOnBeginEdit)
        host->closeEditor();
    if (opcode == audioMasterSizeWindow && host->parentWindow != 0) {
        XResizeWindow(host->display, host->parentWindow, static_cast<unsigned>(index), static_cast<unsigned>(value));
        return 1;
    }
    return opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit ? 1 : 0;
}

VstIntPtr EditorHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

bool EditorHost::openEditor()
{
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr)
        return false;
    if (parentWindow == 0) {
        const int screen = DefaultScreen(display);
        parentWindow = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                           static_cast<unsigned>(rect->right - rect->left),
                                           static_cast<unsigned>(rect->bottom - rect->top), 0,
                                           BlackPixel(display, screen), BlackPixel(display, screen));
        XMapWindow(display, parentWindow);
    }
    // As hosts do, the window takes the size the editor asks for at each open.
    XResizeWindow(display, parentWindow, static_cast<unsigned>(rect->right - rect->left),
                  static_cast<unsigned>(rect->bottom - rect->top));
    XSync(display, False);
    return dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parentWindow)) != 0;
}

void EditorHost::closeEditor() { dispatch(effEditClose); }

void setScreenDpi(Display* display, int dpi)
{
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
    XSync(display, False);
}

Picture halved(const Picture& picture)
{
    Picture half;
    half.width = picture.width / 2;
    half.height = picture.height / 2;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x) {
            std::uint32_t mixed = 0;
            for (int shift : {16, 8, 0}) {
                const std::uint32_t sum = ((picture.at(2 * x, 2 * y) >> shift) & 0xFF) +
                                          ((picture.at(2 * x + 1, 2 * y) >> shift) & 0xFF) +
                                          ((picture.at(2 * x, 2 * y + 1) >> shift) & 0xFF) +
                                          ((picture.at(2 * x + 1, 2 * y + 1) >> shift) & 0xFF);
                mixed |= ((sum + 2) / 4) << shift;
            }
            half.pixels.push_back(mixed);
        }
    return half;
}

Picture doubledSmoothly(const Picture& picture)
{
    Picture twice;
    twice.width = picture.width * 2;
    twice.height = picture.height * 2;
    for (int y = 0; y < twice.height; ++y)
        for (int x = 0; x < twice.width; ++x) {
            // Bilinear: each target pixel's centre in the source's pixels.
            const double sx = std::clamp((x + 0.5) / 2.0 - 0.5, 0.0, picture.width - 1.0);
            const double sy = std::clamp((y + 0.5) / 2.0 - 0.5, 0.0, picture.height - 1.0);
            const int x0 = static_cast<int>(sx);
            const int y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, picture.width - 1);
            const int y1 = std::min(y0 + 1, picture.height - 1);
            const double fx = sx - x0;
            const double fy = sy - y0;
            std::uint32_t mixed = 0;
            for (int shift : {16, 8, 0}) {
                auto channel = [&](int px, int py) { return static_cast<double>((picture.at(px, py) >> shift) & 0xFF); };
                const double top = channel(x0, y0) * (1 - fx) + channel(x1, y0) * fx;
                const double bottom = channel(x0, y1) * (1 - fx) + channel(x1, y1) * fx;
                mixed |= static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            }
            twice.pixels.push_back(mixed);
        }
    return twice;
}

double edgeEnergy(const Picture& picture)
{
    auto luma = [&](int x, int y) {
        const std::uint32_t p = picture.at(x, y);
        return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
    };
    double sum = 0.0;
    for (int y = 0; y + 1 < picture.height; ++y)
        for (int x = 0; x + 1 < picture.width; ++x) {
            const double dx = luma(x + 1, y) - luma(x, y);
            const double dy = luma(x, y + 1) - luma(x, y);
            sum += dx * dx + dy * dy;
        }
    return picture.width > 1 && picture.height > 1 ? sum / ((picture.width - 1.0) * (picture.height - 1.0)) : 0.0;
}

void EditorHost::destroyParent()
{
    XDestroyWindow(display, parentWindow);
    XSync(display, False);
    parentWindow = 0;
}

void EditorHost::idleFor(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMs));
    } while (std::chrono::steady_clock::now() < end);
    dispatch(effEditIdle);
}

bool EditorHost::idleUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        idleFor(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMs));
    }
    return true;
}

bool EditorHost::idleWhileAudioPlays(long blocks)
{
    const long until = audio.blocksPlayed() + blocks;
    if (!idleUntil([&] { return audio.blocksPlayed() >= until; }))
        return false;
    idleFor(2 * kIdleMs);  // the editor ticks at least every kIdleMs of idling
    return true;
}

Window childOf(Display* display, Window parent)
{
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window child = 0;
    if (parent != 0 && XQueryTree(display, parent, &root, &parentOfParent, &children, &count) != 0) {
        if (count > 0)
            child = children[count - 1];
        if (children != nullptr)
            XFree(children);
    }
    return child;
}

Window EditorHost::editorWindow() const { return childOf(display, parentWindow); }

std::string EditorHost::editorWindowName() const
{
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, editorWindow(), &name) != 0 && name != nullptr) {
        result = name;
        XFree(name);
    }
    return result;
}

Picture windowPicture(Display* display, Window window)
{
    Picture picture;
    XWindowAttributes attributes = {};
    XGetWindowAttributes(display, window, &attributes);
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return picture;
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return picture;
}

Picture EditorHost::screenshot() const { return windowPicture(display, parentWindow); }

void sendButton(Display* display, Window target, int type, int x, int y, unsigned button, unsigned state,
                unsigned long time)
{
    XEvent event = {};
    event.xbutton.type = type;
    event.xbutton.display = display;
    event.xbutton.window = target;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.time = time;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.state = state;
    event.xbutton.button = button;
    event.xbutton.same_screen = True;
    XSendEvent(display, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    // A round trip: once the server answered, the event waits on the
    // editor's connection, however busy the machine, so the host loop that
    // follows finds it in its first pass.
    XSync(display, False);
}

void sendMotion(Display* display, Window target, int x, int y, unsigned state, unsigned long time)
{
    XEvent event = {};
    event.xmotion.type = MotionNotify;
    event.xmotion.display = display;
    event.xmotion.window = target;
    event.xmotion.root = DefaultRootWindow(display);
    event.xmotion.time = time;
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.state = state;
    event.xmotion.same_screen = True;
    XSendEvent(display, target, False, PointerMotionMask, &event);
    XSync(display, False);  // as for a button
}

std::string gestureOf(const std::vector<HostCall>& calls, int parameter)
{
    std::string sequence;
    for (const HostCall& call : calls) {
        if (call.index != parameter)
            continue;
        if (call.opcode == audioMasterBeginEdit)
            sequence += 'B';
        else if (call.opcode == audioMasterAutomate)
            sequence += 'A';
        else if (call.opcode == audioMasterEndEdit)
            sequence += 'E';
    }
    return sequence;
}

bool isOneGesture(const std::string& sequence)
{
    return sequence.size() >= 3 && sequence.front() == 'B' && sequence.back() == 'E' &&
           sequence.find_first_not_of('A', 1) == sequence.size() - 1;
}

void sendKey(Display* display, Window target, KeySym symbol, unsigned state, unsigned long time)
{
    XEvent event = {};
    event.xkey.type = KeyPress;
    event.xkey.display = display;
    event.xkey.window = target;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.time = time;
    event.xkey.state = state;
    event.xkey.keycode = XKeysymToKeycode(display, symbol);
    event.xkey.same_screen = True;
    XSendEvent(display, target, False, KeyPressMask, &event);
    XSync(display, False);  // as for a button
}

Picture cropped(const Picture& picture, int x, int y, int width, int height)
{
    Picture part;
    part.width = width;
    part.height = height;
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column)
            part.pixels.push_back(picture.at(column, row));
    return part;
}

void EditorHost::doubleClick(int x, int y, unsigned state)
{
    eventTime += kApart;
    for (int i = 0; i < 2; ++i) {
        sendButton(display, editorWindow(), ButtonPress, x, y, Button1, state, eventTime += 40);
        idleFor(0);
        sendButton(display, editorWindow(), ButtonRelease, x, y, Button1, state, eventTime += 40);
        idleFor(0);
    }
}

void EditorHost::wheel(int x, int y, bool up, unsigned state)
{
    const unsigned button = up ? Button4 : Button5;
    press(x, y, button, state);
    release(x, y, button, state);
    idleFor(0);
}

void EditorHost::rightClick(int x, int y)
{
    press(x, y, Button3);
    release(x, y, Button3);
    idleFor(0);
}

void EditorHost::key(KeySym symbol, unsigned state)
{
    eventTime += 10;
    sendKey(display, editorWindow(), symbol, state, eventTime);
    idleFor(0);
}

void EditorHost::press(int x, int y, unsigned button, unsigned state)
{
    eventTime += kApart;
    sendButton(display, editorWindow(), ButtonPress, x, y, button, state, eventTime);
}

void EditorHost::release(int x, int y, unsigned button, unsigned state)
{
    eventTime += 10;
    sendButton(display, editorWindow(), ButtonRelease, x, y, button, state, eventTime);
}

void EditorHost::move(int x, int y, unsigned state)
{
    eventTime += 10;
    sendMotion(display, editorWindow(), x, y, state, eventTime);
}

void EditorHost::click(int x, int y, unsigned state)
{
    press(x, y, Button1, state);
    idleFor(0);
    release(x, y, Button1, state);
    idleFor(0);
}

void EditorHost::drag(int fromX, int fromY, int toX, int toY, unsigned state)
{
    press(fromX, fromY, Button1, state);
    idleFor(0);
    move(toX, toY, state | Button1Mask);
    idleFor(kIdleMs * 2);  // the editor's tick writes the value
    release(toX, toY, Button1, state);
    idleFor(0);
}

std::vector<HostCall> EditorHost::takeCalls()
{
    std::lock_guard<std::mutex> guard(callLock);
    std::vector<HostCall> taken;
    taken.swap(calls);
    return taken;
}

void EditorHost::startAudio(float amplitude) { audio.start(effect, amplitude); }

void EditorHost::stopAudio() { audio.stop(); }

double shareLikeVst2Editor(const char* vst2Path, const Picture& picture, const char* format, int levels)
{
    const PluginLibrary vst2(vst2Path);
    EditorHost host(vst2);
    if (!host.openEditor())
        return 0.0;
    host.idleFor(300);
    const double share = matchingShare(picture, host.screenshot(), levels);
    std::printf("pixels of the %s editor within %d levels of the VST2 editor's: %.4f\n", format, levels, share);
    return share;
}

Picture vst2EditorPicture(const char* vst2Path, int program)
{
    const PluginLibrary vst2(vst2Path);
    EditorHost host(vst2);
    if (!host.openEditor())
        return {};
    constexpr VstInt32 kBlock = 256;
    std::vector<float> silence(kBlock);
    std::vector<float> left(kBlock);
    std::vector<float> right(kBlock);
    float* inputs[2] = {silence.data(), silence.data()};
    float* outputs[2] = {left.data(), right.data()};
    host.effect->processReplacing(host.effect, inputs, outputs, kBlock);
    host.dispatch(effSetProgram, 0, program);
    // A glide lasts 20 ms: 16 blocks see it land and the display published.
    for (int block = 0; block < 16; ++block)
        host.effect->processReplacing(host.effect, inputs, outputs, kBlock);
    host.idleFor(300);
    return host.screenshot();
}

}  // namespace editortest
