#include "editor/x11/QuenchboxEditor.h"

#include "editor/AboutTexts.h"
#include "editor/EditorSettings.h"
#include "editor/UpdateServer.h"
#include "editor/x11/OverlayPainter.h"
#include "editor/x11/SkinImages.h"
#include "editor/x11/TextPainter.h"
#include "shell/StringCopy.h"

// After the engine's headers: Xlib defines macros they use as names.
#include "editor/x11/XErrorTrap.h"

#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace quenchbox::editor {

namespace {

constexpr const char* kWindowName = "ZUK Quenchbox RZ";
constexpr XTime kDoubleClickMs = 500;  // as Windows counts a double click
constexpr int kDoubleClickSlop = 2;   // pixels either way
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | KeyPressMask | FocusChangeMask | StructureNotifyMask;
constexpr unsigned kWheelUp = Button4;  // 6 and 7, sideways, mean nothing here
constexpr unsigned kWheelDown = Button5;

long long monotonicMs()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool isDial(int widget) { return widget >= kFirstDial && widget < kFirstDial + kDialCount; }
bool isButton(int widget) { return widget >= kOversampleButton && widget <= kPowerButton; }
bool isSlider(int widget) { return widget >= kFirstSlider && widget < kFirstSlider + kSliderCount; }

bool overlaps(const WidgetBox& a, const WidgetBox& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The screen's density as the desktop publishes it for its applications:
// Xft.dpi in the server's resource database (what `xrdb` loads), read when
// the connection opened. 1 when it is not set.
double screenScale(XDisplay* connection)
{
    const char* resources = XResourceManagerString(connection);
    if (resources == nullptr)
        return 1.0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr)
        return 1.0;
    char* type = nullptr;
    XrmValue value = {};
    double scale = 1.0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        char* end = nullptr;
        const double dpi = std::strtod(value.addr, &end);
        if (end != value.addr)
            scale = scaleForDpi(dpi);
    }
    XrmDestroyDatabase(database);
    return scale;
}

PanelKey keyOf(KeySym symbol)
{
    switch (symbol) {
    case XK_Tab:
    case XK_ISO_Left_Tab: return PanelKey::tab;
    case XK_Return:
    case XK_KP_Enter: return PanelKey::enter;
    case XK_Escape: return PanelKey::escape;
    case XK_space:
    case XK_KP_Space: return PanelKey::space;
    case XK_Left:
    case XK_KP_Left: return PanelKey::left;
    case XK_Right:
    case XK_KP_Right: return PanelKey::right;
    case XK_Up:
    case XK_KP_Up: return PanelKey::up;
    case XK_Down:
    case XK_KP_Down: return PanelKey::down;
    case XK_Prior:
    case XK_KP_Prior: return PanelKey::pageUp;
    case XK_Next:
    case XK_KP_Next: return PanelKey::pageDown;
    case XK_Home:
    case XK_KP_Home: return PanelKey::home;
    case XK_End:
    case XK_KP_End: return PanelKey::end;
    case XK_BackSpace: return PanelKey::backspace;
    case XK_Delete:
    case XK_KP_Delete: return PanelKey::deleteKey;
    default: return PanelKey::other;
    }
}

}  // namespace

QuenchboxEditor::QuenchboxEditor(AudioEffect* owner, PluginConnection& plugin)
    : AEffEditor(owner), ScaledEditor(plugin), model(plugin, *this)
{
    for (int d = 0; d < kDialCount; ++d)
        boxes[kFirstDial + d] = &dials[d].box;
    for (int i = 0; i < kIconCount; ++i)
        boxes[kSolverIcon + i] = &icons[i].box;
    for (int b = 0; b < kButtonCount; ++b)
        boxes[kOversampleButton + b] = &buttons[b].box;
    for (int s = 0; s < kSliderCount; ++s) {
        boxes[kFirstSlider + s] = &sliders[s].box;
        boxes[kFirstLabel + s] = &labels[s].box;
    }
    boxes[kScope] = &scope.box;
}

QuenchboxEditor::~QuenchboxEditor()
{
    close();
}

bool QuenchboxEditor::getRect(ERect** hostRect)
{
    if (hostRect == nullptr)
        return false;
    // Hosts ask for the size before the window opens: the screen's density
    // comes from a short connection of its own then.
    if (display == nullptr) {
        XDisplay* probe = XOpenDisplay(nullptr);
        resolveScale(probe != nullptr ? screenScale(probe) : 0.0);
        if (probe != nullptr)
            XCloseDisplay(probe);
    }
    *hostRect = &rect;
    return true;
}

bool QuenchboxEditor::windowOpen() const { return display != nullptr && window != 0 && !windowGone; }

void QuenchboxEditor::rebuildAtScale()
{
    XErrorTrap trap(display);
    XResizeWindow(display, window, static_cast<unsigned>(rect.right), static_cast<unsigned>(rect.bottom));
    cairo_xlib_surface_set_size(windowSurface, rect.right, rect.bottom);
    back.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, rect.right, rect.bottom));
    damage.clear();
    zoomMenu.hide();
    releaseWidgets();
    loadPanels();
    buildWidgets();
    model.replotResponse();
    panelDirty = true;
    paintDirty();
}

// A press while the zoom menu is shown picks an entry or closes it; a left
// press on the maker's badge opens it. Answers whether the press was the
// menu's.
bool QuenchboxEditor::answerZoomMenu(int x, int y, unsigned button)
{
    if (zoomMenu.visible()) {
        const int choice = zoomMenu.choiceAt(x, y);
        zoomMenu.hide();
        panelDirty = true;
        if (choice >= 0 && button == Button1)
            chooseZoom(choice);
        return true;
    }
    if (button != Button1 || !kZoomBadge.contains(x, y))
        return false;
    zoomMenu.show(zoomChoice());
    menuDirty = true;
    return true;
}

int QuenchboxEditor::connectionFd() const { return display != nullptr ? ConnectionNumber(display) : -1; }

bool QuenchboxEditor::open(void* parentWindow)
{
    if (parentWindow == nullptr || insideIdle)
        return false;
    close();
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    resolveScale(screenScale(display));
    systemWindow = parentWindow;
    if (!createWindow(static_cast<XWindowId>(reinterpret_cast<std::uintptr_t>(parentWindow)))) {
        close();
        return false;
    }
    loadPanels();
    buildWidgets();

    for (WidgetBox* box : boxes)
        box->visible = true;
    model.opened();
    model.refresh(monotonicMs());
    panelDirty = true;
    {
        XErrorTrap trap(display);
        XMapWindow(display, window);
        paintDirty();
    }
    nextTickMs = monotonicMs() + kRefreshMs;
    return true;
}

bool QuenchboxEditor::createWindow(XWindowId parent)
{
    XErrorTrap trap(display);
    XSetWindowAttributes attributes = {};
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None;  // every pixel is painted: no erase, no flicker
    window = XCreateWindow(display, parent, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0,
                           CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    XWindowAttributes created = {};
    if (trap.failed() || XGetWindowAttributes(display, window, &created) == 0 || trap.failed()) {
        window = 0;  // the parent does not exist: nothing was made
        return false;
    }
    windowGone = false;
    nameWindow();
    windowSurface = cairo_xlib_surface_create(display, window, created.visual, created.width, created.height);
    back.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, created.width, created.height));
    return cairo_surface_status(windowSurface) == CAIRO_STATUS_SUCCESS;
}

// The panels with the texts on the about panel, the decoded skins and the
// controls' images are made once per editor and scale, at the first open,
// and kept until it goes or the scale changes: opening again only makes the
// window and paints it.
void QuenchboxEditor::loadPanels()
{
    if (!text)
        text = std::make_unique<TextPainter>();
    if (panelScale != currentScale) {
        mainPanel.reset();
        aboutPanel.reset();
        panelScale = currentScale;
    }
    if (!mainPanel)
        mainPanel.reset(loadSkinScaled(SKIN_MAIN_PANEL, currentScale, rect.right, rect.bottom));
    if (!aboutPanel) {
        aboutPanel.reset(loadSkinScaled(SKIN_ABOUT_PANEL, currentScale, rect.right, rect.bottom));
        paintAboutText();
    }
}

void QuenchboxEditor::paintAboutText()
{
    if (!aboutPanel)
        return;
    cairo_t* cr = cairo_create(aboutPanel.get());
    // Laid out in panel units; cairo renders the glyphs at the panel's scale.
    cairo_scale(cr, currentScale, currentScale);
    for (int i = 0; i < kAboutBlockCount; ++i) {
        const AboutBlock& block = kAboutBlocks[i];
        const WidgetBox box{block.left, block.top, block.right - block.left, block.bottom - block.top};
        text->drawBlock(cr, aboutBlockText(block, "Linux64").c_str(), box, block.colour,
                        block.large ? kLargeTextPixels : kSmallTextPixels, block.centred, block.wrapped);
    }
    for (int i = 0; i < kAboutCreditCount; ++i) {
        const AboutCredit& credit = kAboutCredits[i];
        const int captionWidth = static_cast<int>(text->width(cr, credit.caption, kSmallTextPixels) + 0.999);
        const int contentLeft = creditContentLeft(credit, captionWidth);
        text->drawBlock(cr, credit.caption, {credit.captionLeft, credit.top, kCreditRight - credit.captionLeft, 80},
                        kAboutGrey, kSmallTextPixels, false, true);
        text->drawBlock(cr, credit.content, {contentLeft, credit.top, kCreditRight - contentLeft, 80},
                        kAboutLightGrey, kSmallTextPixels, false, true);
    }
    cairo_destroy(cr);
    cairo_surface_flush(aboutPanel.get());
}

void QuenchboxEditor::buildWidgets()
{
    if (!mainPanel || widgetScale == currentScale)
        return;
    widgetScale = currentScale;
    cairo_surface_t* panel = mainPanel.get();
    skins.useScale(currentScale);
    for (int d = 0; d < kDialCount; ++d)
        dials[d].build(panel, skins, kDials[d].x, kDials[d].litSkin);
    for (int i = 0; i < kIconCount; ++i)
        icons[i].build(panel, skins, kIcons[i].x, kIcons[i].y, kIcons[i].skin);
    scope.build(panel, skins);
    for (int b = 0; b < kButtonCount; ++b)
        buttons[b].build(panel, skins, kButtons[b].x, kButtons[b].y, kButtons[b].skin);
    for (int s = 0; s < kSliderCount; ++s) {
        sliders[s].build(panel, skins, kRowY[s]);
        labels[s].build(panel, skins, kRowY[s]);
    }
}

void QuenchboxEditor::releaseWidgets()
{
    for (CairoDial& dial : dials)
        dial.release();
    for (CairoIcon& icon : icons)
        icon.release();
    for (CairoButton& button : buttons)
        button.release();
    for (CairoSlider& slider : sliders)
        slider.release();
    for (CairoLabel& label : labels)
        label.release();
    scope.release();
    widgetScale = 0.0;
}

void QuenchboxEditor::close()
{
    if (insideIdle) {
        closeRequested = true;
        return;
    }
    closeRequested = false;
    if (display != nullptr) {
        destroyWindow();
        XCloseDisplay(display);
        display = nullptr;
    }
    back.reset();
    damage.clear();
    uncovered.clear();
    overlayDrawn.clear();
    captured = -1;
    message.hide();
    zoomMenu.hide();
    model.chooseMenuItem(-1);
    model.keyboardFocus(false);
    controlMenu.layOut(model.menu());
    AEffEditor::close();
}

void QuenchboxEditor::destroyWindow()
{
    if (windowSurface != nullptr) {
        // cairo keeps per-connection state in a device; it goes with the
        // connection only when finished before the connection closes.
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(windowSurface));
        cairo_surface_finish(windowSurface);
        cairo_surface_destroy(windowSurface);
        windowSurface = nullptr;
        cairo_device_finish(device);
        cairo_device_destroy(device);
    }
    if (window == 0)
        return;
    XErrorTrap trap(display);
    // A DestroyNotify still queued tells that the host's window took ours along.
    XEvent destroyed;
    if (XCheckTypedWindowEvent(display, window, DestroyNotify, &destroyed))
        windowGone = true;
    if (!windowGone)
        XDestroyWindow(display, window);
    window = 0;
}

void QuenchboxEditor::idle()
{
    if (display == nullptr || insideIdle)
        return;
    insideIdle = true;
    {
        XErrorTrap trap(display);
        handleEvents();
        collectUpdateAnswer();
        // What the input changed is shown (and counts as painted) before
        // the tick compares values with what was painted.
        if (!closeRequested)
            paintDirty();
        const long long now = monotonicMs();
        if (!closeRequested && now >= nextTickMs) {
            nextTickMs = std::max(nextTickMs + kRefreshMs, now + 1);
            if (!model.aboutShown())
                model.refresh(now);
        }
        if (!closeRequested)
            paintDirty();
    }
    insideIdle = false;
    // A host may close the editor from inside a callback the idle made;
    // the window goes once the idle's own work is done.
    if (closeRequested)
        close();
}

void QuenchboxEditor::handleEvents()
{
    while (!closeRequested && window != 0 && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MotionNotify)  // only the latest position matters
            while (XCheckTypedWindowEvent(display, window, MotionNotify, &event)) {
            }
        handleEvent(event);
        syncControlMenu();
    }
}

void QuenchboxEditor::handleEvent(const XEvent& event)
{
    if (event.xany.window != window)
        return;
    switch (event.type) {
    case Expose:
        damage.push_back({event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height});
        break;
    case ButtonPress:
        if (!pressAt(panelCoordinate(event.xbutton.x, currentScale), panelCoordinate(event.xbutton.y, currentScale),
                     event.xbutton.button, event.xbutton.state, event.xbutton.time))
            forwardToHost(event, ButtonPressMask);
        break;
    case ButtonRelease:
        releaseAt(panelCoordinate(event.xbutton.x, currentScale), panelCoordinate(event.xbutton.y, currentScale),
                  event.xbutton.button);
        break;
    case MotionNotify:
        moveTo(panelCoordinate(event.xmotion.x, currentScale), panelCoordinate(event.xmotion.y, currentScale),
               event.xmotion.state);
        break;
    case LeaveNotify:
        model.pointerOver(-1, monotonicMs());
        break;
    case KeyPress:
        keyPressed(event);
        break;
    case FocusIn:
    case FocusOut:
        model.keyboardFocus(event.type == FocusIn);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window)
            windowGone = true;
        break;
    default:
        break;
    }
}

int QuenchboxEditor::widgetAt(int x, int y) const
{
    for (int i = 0; i < kWidgetCount; ++i)
        if (boxes[i]->visible && boxes[i]->width > 0 && boxes[i]->contains(x, y))
            return i;
    return -1;
}

// Windows turns the second press of a quick pair on one control into a
// double click, which only sliders take; the same happens here.
bool QuenchboxEditor::isDoubleClick(int x, int y, XTime time, int widget)
{
    const bool quick = widget == lastPressWidget && time - lastPressTime <= kDoubleClickMs &&
                       std::abs(x - lastPressX) <= kDoubleClickSlop && std::abs(y - lastPressY) <= kDoubleClickSlop;
    lastPressWidget = quick ? -1 : widget;  // a third press starts a new pair
    lastPressTime = time;
    lastPressX = x;
    lastPressY = y;
    return quick;
}

// Answers false for a wheel over no control, which is the host's.
bool QuenchboxEditor::pressAt(int px, int py, unsigned button, unsigned modifiers, XTime time)
{
    if (message.visible()) {
        answerMessage(message.choiceAt(px, py));
        return true;
    }
    if (model.menu().shown) {  // a press picks an item or closes the menu
        model.chooseMenuItem(button == Button1 ? controlMenu.itemAt(model.menu(), px, py) : -1);
        return true;
    }
    if (answerZoomMenu(px, py, button))
        return true;
    const bool shift = (modifiers & ShiftMask) != 0;
    if (button == kWheelUp || button == kWheelDown)
        return model.wheel(widgetAt(px, py), button == kWheelUp ? 1 : -1, shift, monotonicMs());
    if (button != Button1 && button != Button3)
        return true;
    takeKeyboardFocus();
    const int widget = widgetAt(px, py);
    model.pressedOn(widget);
    if (widget < 0)
        return true;
    if (button == Button3) {
        model.openMenu(widget, px, py);
        return true;
    }
    const bool control = (modifiers & ControlMask) != 0;
    const bool doubleClick = isDoubleClick(px, py, time, widget);
    if (doubleClick && (isDial(widget) || isSlider(widget)))
        model.doubleClicked(widget, control);
    else if (isDial(widget))
        pressed(widget, pressControl(dials[widget].model, control, py - boxes[widget]->y));
    else if (isSlider(widget))
        pressed(widget, pressControl(sliders[widget - kFirstSlider].model, control, px - boxes[widget]->x));
    else if (isButton(widget) && !doubleClick) {
        captured = widget;
        pressButton(widget);
    }
    return true;
}

void QuenchboxEditor::releaseAt(int px, int py, unsigned button)
{
    if (button != Button1)
        return;
    const int widget = captured >= 0 ? captured : widgetAt(px, py);
    if (widget < 0)
        return;
    bool letGo = true;
    if (isDial(widget))
        letGo = releaseControl(dials[widget].model);
    else if (isSlider(widget))
        letGo = releaseControl(sliders[widget - kFirstSlider].model);
    else if (isButton(widget))
        markDirty(widget);
    if (isDial(widget) || isSlider(widget))
        model.endGesture(widget);
    if (letGo)
        captured = -1;
}

void QuenchboxEditor::pressed(int widget, const PressOutcome& outcome)
{
    if (outcome.grab)
        captured = widget;
    if (outcome.gestureBegins)
        model.beginGesture(widget);
    if (outcome.gestureEnds)
        model.endGesture(widget);
}

void QuenchboxEditor::moveTo(int x, int y, unsigned modifiers)
{
    if (captured < 0)
        model.pointerOver(widgetAt(x, y), monotonicMs());
    const int widget = captured >= 0 ? captured : widgetAt(x, y);
    if (widget < 0)
        return;
    const bool shift = (modifiers & ShiftMask) != 0;
    if (isDial(widget))
        dials[widget].model.drag(y - boxes[widget]->y, shift);
    else if (isSlider(widget))
        sliders[widget - kFirstSlider].model.drag(x - boxes[widget]->x, shift);
}

// The panel takes the keyboard when clicked, as a text field in the host
// would; the host gets back every key the panel does not use. At the
// server's current time: a click's own time may lie behind the last focus
// change the host made on its connection, and would be refused.
void QuenchboxEditor::takeKeyboardFocus()
{
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

void QuenchboxEditor::keyPressed(const XEvent& event)
{
    XKeyEvent copy = event.xkey;
    char latin1[8] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(&copy, latin1, sizeof(latin1) - 1, &symbol, nullptr);
    char typed[2 * sizeof(latin1) + 1];
    latin1ToUtf8(latin1, std::max(count, 0), typed);
    const unsigned modifiers = event.xkey.state;
    const KeyStroke stroke{keyOf(symbol), (modifiers & ShiftMask) != 0 || symbol == XK_ISO_Left_Tab,
                           (modifiers & (ControlMask | Mod1Mask)) != 0, typed};
    if (!model.key(stroke, monotonicMs()))
        forwardToHost(event, KeyPressMask);
}

// A key or a wheel the panel has no use for goes to the host's window,
// which would have had it had the panel not taken the focus or lain over
// it. The panel sits at the host window's corner: the positions hold.
void QuenchboxEditor::forwardToHost(const XEvent& event, long mask)
{
    const auto parent = static_cast<XWindowId>(reinterpret_cast<std::uintptr_t>(systemWindow));
    if (parent == 0)
        return;
    XEvent forwarded = event;
    forwarded.xany.window = parent;
    if (event.type == KeyPress)
        forwarded.xkey.subwindow = window;
    else
        forwarded.xbutton.subwindow = window;
    XSendEvent(display, parent, False, mask, &forwarded);
    XFlush(display);
}

bool QuenchboxEditor::onKeyDown(VstKeyCode& code)
{
    if (display == nullptr || insideIdle)
        return false;
    char typed[2] = {};
    const KeyStroke stroke = strokeFromVirtual(code.character, code.virt, code.modifier, typed);
    // The host hands over keys only while the editor has its attention.
    model.keyboardFocus(true);
    const bool used = model.key(stroke, monotonicMs());
    XErrorTrap trap(display);
    syncControlMenu();
    paintDirty();
    return used;
}

// The model opens and closes the control's menu; this layer lays it out,
// and brings the panel back where it was.
void QuenchboxEditor::syncControlMenu()
{
    const ControlMenu& menu = model.menu();
    if (controlMenu.box().visible && !menu.shown) {
        restoreUnder(controlMenu.box());
        controlMenu.layOut(menu);
    } else if (menu.shown && !controlMenu.box().visible) {
        controlMenu.layOut(menu);
        controlMenuDirty = true;
    }
}

void QuenchboxEditor::pressButton(int widget)
{
    CairoButton& button = buttons[widget - kOversampleButton];
    button.state ^= 1;
    markDirty(widget);
    if (!model.onButton(widget, button.state == 1))
        checkForUpdates();
}

// One check at a time; the button springs back at once either way.
void QuenchboxEditor::checkForUpdates()
{
    updateCheck.start(updateServer());
    showButtonState(kUpdateButton, 0);
}

void QuenchboxEditor::collectUpdateAnswer()
{
    std::uint32_t latest = 0;
    if (!updateCheck.takeResult(latest))
        return;
    message.show(answerFor(latest));
    messageDirty = true;
    nameWindow();
}

void QuenchboxEditor::answerMessage(PanelMessage::Choice choice)
{
    if (choice == PanelMessage::Choice::kNone)
        return;
    if (choice == PanelMessage::Choice::kYes)
        openInBrowser(updateServer(), kDownloadPagePath);
    message.hide();
    panelDirty = true;
    nameWindow();
}

void QuenchboxEditor::nameWindow()
{
    XStoreName(display, window, message.visible() ? answerText(message.answer()) : kWindowName);
}

void QuenchboxEditor::showButtonState(int widget, unsigned state)
{
    buttons[widget - kOversampleButton].state = state & 1;
    markDirty(widget);
}

void QuenchboxEditor::showIconOpacity(int icon, int opacity)
{
    icons[icon].opacity = std::clamp(opacity, 0, 255);
    markDirty(kSolverIcon + icon);
}

void QuenchboxEditor::showValueText(int label, const char* newText)
{
    copyBounded(labels[label].text, newText, sizeof(labels[label].text) - 1);
    markDirty(kFirstLabel + label);
}

void QuenchboxEditor::showWidgets(bool visible, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        boxes[i]->visible = visible;
        markDirty(i);
    }
}

void QuenchboxEditor::commitScope()
{
    scope.commit();
    markDirty(kScope);
}

void QuenchboxEditor::markDirty(int widget) { dirty[widget] = true; }

PanelArea QuenchboxEditor::areaOf(int widget) const
{
    const WidgetBox& box = *boxes[widget];
    return {box.x, box.y, box.width, box.height};
}

bool QuenchboxEditor::widgetShown(int widget) const { return boxes[widget]->visible && boxes[widget]->width > 0; }

void QuenchboxEditor::overlayChanged()
{
    for (const WidgetBox& box : overlayDrawn)
        restoreUnder(box);
    overlayDrawn.clear();
    overlayDirty = true;
}

bool QuenchboxEditor::overlapsOverlay(const WidgetBox& box) const
{
    for (const WidgetBox& drawn : overlayDrawn)
        if (overlaps(box, drawn))
            return true;
    return false;
}

void QuenchboxEditor::paintPanelUnder(cairo_t* cr, const WidgetBox& box)
{
    cairo_surface_t* panel = model.aboutShown() ? aboutPanel.get() : mainPanel.get();
    if (panel == nullptr)
        return;
    const PixelBox pixels = box.at(currentScale);
    cairo_save(cr);
    cairo_rectangle(cr, pixels.x, pixels.y, pixels.width, pixels.height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, panel, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
}

// The panel under areas an overlay or a menu left, and the controls there.
void QuenchboxEditor::paintUncovered(cairo_t* cr)
{
    for (const WidgetBox& box : uncovered) {
        paintPanelUnder(cr, box);
        addDamage(box);
        for (int i = 0; i < kWidgetCount; ++i)
            dirty[i] = dirty[i] || overlaps(*boxes[i], box);
        messageDirty = messageDirty || overlaps(box, message.box());
        menuDirty = menuDirty || overlaps(box, zoomMenu.box());
        controlMenuDirty = controlMenuDirty || overlaps(box, controlMenu.box());
        overlayDirty = overlayDirty || overlapsOverlay(box);
    }
    uncovered.clear();
}

void QuenchboxEditor::paintOverlays(cairo_t* cr)
{
    const PanelOverlay& overlay = model.overlay();
    paintOverlay(cr, *text, overlay);
    overlayDrawn.clear();
    const auto drawn = [this](bool shown, const PanelArea& area) {
        if (!shown)
            return;
        // The focus ring's stroke and the boxes' antialiased edges stay
        // inside the area; one unit around it covers any rounding.
        const WidgetBox box{area.x - 1, area.y - 1, area.width + 2, area.height + 2, true};
        overlayDrawn.push_back(box);
        addDamage(box);
    };
    drawn(overlay.focusShown, overlay.focusBox);
    drawn(overlay.fieldShown, overlay.fieldBox);
    drawn(overlay.labelShown, overlay.labelBox);
}

// Everything that changed since the last paint goes into the back buffer,
// then the changed areas to the window in one request.
void QuenchboxEditor::paintDirty()
{
    if (!back || windowGone)
        return;
    cairo_t* cr = cairo_create(back.get());
    cairo_surface_t* panel = model.aboutShown() ? aboutPanel.get() : mainPanel.get();
    if (panelDirty && panel != nullptr) {
        cairo_set_source_surface(cr, panel, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        std::fill(std::begin(dirty), std::end(dirty), true);
        damage.push_back({0, 0, rect.right, rect.bottom});
        messageDirty = true;
        menuDirty = true;
        overlayDirty = true;
        controlMenuDirty = true;
        uncovered.clear();
        overlayDrawn.clear();
    }
    panelDirty = false;
    paintUncovered(cr);
    for (int i = 0; i < kWidgetCount; ++i) {
        if (!dirty[i])
            continue;
        dirty[i] = false;
        paintWidget(cr, i);
        addDamage(*boxes[i]);
        messageDirty = messageDirty || overlaps(*boxes[i], message.box());
        menuDirty = menuDirty || overlaps(*boxes[i], zoomMenu.box());
        controlMenuDirty = controlMenuDirty || overlaps(*boxes[i], controlMenu.box());
        overlayDirty = overlayDirty || overlapsOverlay(*boxes[i]);
    }
    // The overlay, the message and the menus are drawn in panel units over
    // the widgets.
    cairo_save(cr);
    cairo_scale(cr, currentScale, currentScale);
    if (overlayDirty && !model.aboutShown())
        paintOverlays(cr);
    if (messageDirty && message.visible()) {
        message.paint(cr, *text);
        addDamage(message.box());
    }
    if (menuDirty && zoomMenu.visible()) {
        zoomMenu.paint(cr, *text);
        addDamage(zoomMenu.box());
    }
    if (controlMenuDirty && model.menu().shown) {
        controlMenu.paint(cr, *text, model.menu());
        addDamage(controlMenu.box());
    }
    cairo_restore(cr);
    messageDirty = false;
    menuDirty = false;
    overlayDirty = false;
    controlMenuDirty = false;
    cairo_destroy(cr);
    showDamage();
}

void QuenchboxEditor::paintWidget(cairo_t* cr, int widget)
{
    const WidgetBox& box = *boxes[widget];
    if (!box.visible || box.width == 0) {
        // A hidden control shows the panel under it, and counts as painted:
        // its value is on screen as far as it can be.
        if (box.width > 0)
            paintPanelUnder(cr, box);
        if (isDial(widget))
            dials[widget].model.catchUpPainted();
        else if (isSlider(widget))
            sliders[widget - kFirstSlider].model.catchUpPainted();
        return;
    }
    if (isDial(widget)) {
        cairo_surface_flush(back.get());
        dials[widget].paint(back.get());
    } else if (widget >= kSolverIcon && widget <= kStageBIcon) {
        icons[widget - kSolverIcon].paint(cr);
    } else if (isButton(widget)) {
        buttons[widget - kOversampleButton].paint(cr);
    } else if (isSlider(widget)) {
        sliders[widget - kFirstSlider].paint(cr);
    } else if (widget == kScope) {
        scope.paint(cr);
    } else {
        labels[widget - kFirstLabel].paint(cr, *text);
    }
}

void QuenchboxEditor::showDamage()
{
    if (damage.empty() || windowSurface == nullptr)
        return;
    cairo_surface_flush(back.get());
    cairo_t* cr = cairo_create(windowSurface);
    cairo_set_source_surface(cr, back.get(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    for (const PixelBox& area : damage) {
        cairo_rectangle(cr, area.x, area.y, area.width, area.height);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(windowSurface);
    XFlush(display);
    damage.clear();
}

}  // namespace quenchbox::editor
