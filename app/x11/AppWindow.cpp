#include "app/x11/AppWindow.h"

#include "app/AppController.h"
#include "app/AppStyle.h"
#include "editor/EditorLayout.h"
#include "editor/OverlayStyle.h"
#include "editor/TextEntry.h"
#include "editor/x11/CairoWidgets.h"
#include "editor/x11/TextPainter.h"
#include "shell/AEffEditor.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace quenchbox::app {

namespace {

constexpr char kTitle[] = "Quenchbox RZ";
constexpr long kEventMask = ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask;

editor::WidgetBox widgetBox(const ItemBox& box) { return {box.x, box.y, box.width, box.height, true}; }

void fillRect(cairo_t* cr, double x, double y, double width, double height, std::uint32_t colour)
{
    editor::setSourceColour(cr, colour);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

// A bar with its colour bands up to `level`, the peak mark, and the clip
// light at its right end.
void paintMeter(cairo_t* cr, const ViewItem& item)
{
    const ItemBox& box = item.box;
    const double length = meterLength(box);
    fillRect(cr, box.x, box.y, length, box.height, editor::kFieldFill);
    for (const MeterBand& band : kMeterBands) {
        const double to = std::min(item.level, band.to);
        if (to > band.from)
            fillRect(cr, box.x + band.from * length, box.y + 2, (to - band.from) * length, box.height - 4.0, band.colour);
    }
    if (item.hold > 0.0)
        fillRect(cr, box.x + item.hold * length - 1.5, box.y, 1.5, box.height, editor::kLabelTextColour);
    editor::setSourceColour(cr, item.lit ? editor::kPreCurveColour : kClipLightOff);
    const double light = box.height;
    cairo_arc(cr, box.x + box.width - light / 2, box.y + light / 2, light / 2 - 1, 0, 2 * M_PI);
    cairo_fill(cr);
}

}  // namespace

struct AppWindow::Display {
    ::Display* display = nullptr;
    Window window = 0;
    Window panelHolder = 0;  // the editor's parent, below the bar
    Atom deleteWindow = 0;
    cairo_surface_t* surface = nullptr;
    editor::TextPainter text;
};

AppWindow::AppWindow(AEffEditor& panel, AppController& appController)
    : PanelHost(panel, appController), x(std::make_unique<Display>())
{
}

AppWindow::~AppWindow() { close(); }

bool AppWindow::open(std::string& error)
{
    x->display = XOpenDisplay(nullptr);
    if (x->display == nullptr) {
        error = "cannot open the display; run it with --no-gui to play without a window";
        return false;
    }
    ::Display* d = x->display;
    XSetWindowAttributes attributes = {};
    attributes.event_mask = kEventMask;
    attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
    x->window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, kWindowWidth, kBarHeight + kPageHeight, 0,
                              CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixel, &attributes);
    x->panelHolder = XCreateSimpleWindow(d, x->window, 0, kBarHeight, kWindowWidth, kPageHeight, 0, 0, 0);
    XStoreName(d, x->window, kTitle);
    XClassHint hint{const_cast<char*>("quenchbox-rz"), const_cast<char*>("Quenchbox RZ")};
    XSetClassHint(d, x->window, &hint);
    x->deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, x->window, &x->deleteWindow, 1);
    x->surface = cairo_xlib_surface_create(d, x->window, DefaultVisual(d, DefaultScreen(d)), kWindowWidth,
                                           kBarHeight + kPageHeight);
    XMapWindow(d, x->panelHolder);
    openEditor();
    XMapWindow(d, x->window);
    XFlush(d);
    return true;
}

void AppWindow::waitForEvents(int milliseconds)
{
    if (x->display == nullptr || XPending(x->display) > 0)
        return;
    pollfd connection{ConnectionNumber(x->display), POLLIN, 0};
    poll(&connection, 1, milliseconds);
}

void* AppWindow::holderWindow() { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(x->panelHolder)); }

void AppWindow::showHolder(bool shown)
{
    if (shown)
        XMapWindow(x->display, x->panelHolder);
    else
        XUnmapWindow(x->display, x->panelHolder);
}

void AppWindow::fitPanel(int panelWidth, int panelHeight)
{
    const int bar = barPixels();
    ::Display* d = x->display;
    XMoveResizeWindow(d, x->panelHolder, 0, bar, static_cast<unsigned>(panelWidth), static_cast<unsigned>(panelHeight));
    XResizeWindow(d, x->window, static_cast<unsigned>(panelWidth), static_cast<unsigned>(bar + panelHeight));
    XSizeHints hints = {};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = panelWidth;
    hints.min_height = hints.max_height = bar + panelHeight;
    XSetWMNormalHints(d, x->window, &hints);
    cairo_xlib_surface_set_size(x->surface, panelWidth, bar + panelHeight);
}

void AppWindow::update()
{
    if (x->display == nullptr)
        return;
    handleEvents();
    followPage();
    if (editorOpen)
        editor.idle();
    paint();
    XFlush(x->display);
}

void AppWindow::handleEvents()
{
    while (XPending(x->display) > 0) {
        XEvent event;
        XNextEvent(x->display, &event);
        if (event.type == Expose && event.xexpose.count == 0)
            painted.clear();
        else if (event.type == ButtonPress && event.xbutton.button == Button1)
            pressAt(event.xbutton.x, event.xbutton.y);
        else if (event.type == KeyPress)
            keyPressed(&event.xkey);
        else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == x->deleteWindow)
            closing = true;
    }
}

void AppWindow::keyPressed(void* keyEvent)
{
    if (!controller.fieldOpen())
        return;
    char latin1[8] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(static_cast<XKeyEvent*>(keyEvent), latin1, sizeof latin1 - 1, &symbol, nullptr);
    if (symbol == XK_Return || symbol == XK_KP_Enter) {
        controller.confirmField();
    } else if (symbol == XK_Escape) {
        controller.cancelField();
    } else if (symbol == XK_BackSpace) {
        controller.eraseCharacter();
    } else if (count > 0) {
        char typed[2 * sizeof latin1 + 1];
        editor::latin1ToUtf8(latin1, count, typed);
        controller.type(typed);
    }
}

void AppWindow::paint()
{
    const std::vector<ViewItem> items = controller.view();
    if (items == painted)
        return;
    painted = items;
    const int width = cairo_xlib_surface_get_width(x->surface);
    const int height = controller.pageShown() ? cairo_xlib_surface_get_height(x->surface) : barPixels();
    cairo_surface_t* back = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(back);
    cairo_scale(cr, scale, scale);
    fillRect(cr, 0, 0, kWindowWidth, kBarHeight + kPageHeight, kBarFill);
    editor::setSourceColour(cr, kButtonBorder);
    cairo_rectangle(cr, 0, kBarHeight - 1, kWindowWidth, 1);
    cairo_fill(cr);
    for (const ViewItem& item : items) {
        const editor::WidgetBox box = widgetBox(item.box);
        const std::uint32_t ink = item.enabled ? editor::kLabelTextColour : kDimmedText;
        switch (item.kind) {
        case ItemKind::label:
            x->text.drawBlock(cr, item.text.c_str(), box, ink, kTextPixels, false, item.wrapped);
            break;
        case ItemKind::title:
            x->text.drawBlock(cr, item.text.c_str(), box, editor::kPreCurveColour, kTextPixels, false, item.wrapped);
            break;
        case ItemKind::button:
            editor::paintFramedBox(cr, box, item.lit ? editor::kSelectionFill : kButtonFill,
                                   item.lit ? editor::kPreCurveColour : kButtonBorder);
            x->text.drawCentredLine(cr, item.text.c_str(), box, ink, kTextPixels);
            break;
        case ItemKind::field: {
            editor::paintFramedBox(cr, box, editor::kFieldFill, editor::kLabelTextColour);
            editor::WidgetBox inside = box;
            inside.x += editor::kFieldInset;
            inside.width -= 2 * editor::kFieldInset;
            const std::string shown = item.text + "|";
            x->text.drawBlock(cr, shown.c_str(), inside, ink, kTextPixels, false, false);
            break;
        }
        case ItemKind::meter: paintMeter(cr, item); break;
        }
    }
    cairo_destroy(cr);
    cairo_t* window = cairo_create(x->surface);
    cairo_set_source_surface(window, back, 0, 0);
    cairo_rectangle(window, 0, 0, width, height);
    cairo_fill(window);
    cairo_destroy(window);
    cairo_surface_destroy(back);
    cairo_surface_flush(x->surface);
}

void AppWindow::close()
{
    if (x->display == nullptr)
        return;
    closeEditor();
    cairo_surface_destroy(x->surface);
    x->surface = nullptr;
    XDestroyWindow(x->display, x->window);
    XCloseDisplay(x->display);
    x->display = nullptr;
}

}  // namespace quenchbox::app
