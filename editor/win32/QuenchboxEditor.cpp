#include "editor/win32/QuenchboxEditor.h"

#include "editor/EditorSettings.h"
#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"
#include "win32/ModuleInstance.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace quenchbox::editor {

namespace {

constexpr const char* kWindowClass = "ZUKVelamorRZWndClass";
constexpr const char* kWindowName = "VelamorRZWnd";
constexpr UINT_PTR kTimerId = 0x1234;

constexpr UINT_PTR kControlMenuFirstId = 1;

long long steadyMs() { return static_cast<long long>(GetTickCount64()); }

bool held(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// Windows' key codes as the panel's keys.
PanelKey keyOf(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_TAB: return PanelKey::tab;
    case VK_RETURN: return PanelKey::enter;
    case VK_ESCAPE: return PanelKey::escape;
    case VK_SPACE: return PanelKey::space;
    case VK_LEFT: return PanelKey::left;
    case VK_RIGHT: return PanelKey::right;
    case VK_UP: return PanelKey::up;
    case VK_DOWN: return PanelKey::down;
    case VK_PRIOR: return PanelKey::pageUp;
    case VK_NEXT: return PanelKey::pageDown;
    case VK_HOME: return PanelKey::home;
    case VK_END: return PanelKey::end;
    case VK_BACK: return PanelKey::backspace;
    case VK_DELETE: return PanelKey::deleteKey;
    default: return PanelKey::other;
    }
}

int editorCount = 0;  // editor objects in this module; the window class lives while there are any

void registerWindowClass(WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = win32::moduleInstance();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
}

// Messages of per-monitor DPI awareness, named here for older headers.
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The monitor's DPI for `window` as a scale step: GetDpiForWindow where
// Windows has it (10 and later), else the system's logical DPI.
double systemScaleFor(HWND window)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    UINT dpi = window != nullptr && dpiForWindow != nullptr ? dpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    return scaleForDpi(dpi);
}

}  // namespace

QuenchboxEditor::QuenchboxEditor(AudioEffect* owner, PluginConnection& plugin)
    : AEffEditor(owner), ScaledEditor(plugin), model(plugin, *this)
{
    CSkinWindow* table[kWidgetCount] = {&dials[0],   &dials[1],   &dials[2],   &dials[3],   &dials[4],
                                        &dials[5],   &icons[0],   &icons[1],   &icons[2],   &buttons[0],
                                        &buttons[1], &buttons[2], &buttons[3], &buttons[4], &buttons[5],
                                        &buttons[6], &buttons[7], &sliders[0], &sliders[1], &sliders[2],
                                        &sliders[3], &scope,      &labels[0],  &labels[1],  &labels[2],
                                        &labels[3]};
    std::copy(table, table + kWidgetCount, widgets);
    InitializeCriticalSection(&editorLock);
    if (editorCount++ == 0)
        registerWindowClass(windowProcedure);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    resolveScale(systemScaleFor(nullptr));
    loadPanels();
}

QuenchboxEditor::~QuenchboxEditor()
{
    EnterCriticalSection(&editorLock);
    close();
    releasePanels();
    releaseUpdateOwner();
    if (updateThread != nullptr)
        CloseHandle(updateThread);
    LeaveCriticalSection(&editorLock);
    DeleteCriticalSection(&editorLock);
    if (--editorCount == 0)
        UnregisterClassA(kWindowClass, win32::moduleInstance());
    CoUninitialize();
}

// The panels, with the about texts drawn on, are made for one scale and
// kept until it changes or the editor goes.
void QuenchboxEditor::loadPanels()
{
    if (panelScale == currentScale)
        return;
    releasePanels();
    panelScale = currentScale;
    const HINSTANCE module = win32::moduleInstance();
    aboutPanel = loadScaledPngResource(module, SKIN_ABOUT_PANEL, currentScale, rect.right, rect.bottom);
    mainPanel = loadScaledPngResource(module, SKIN_MAIN_PANEL, currentScale, rect.right, rect.bottom);
    paintAboutText();
}

void QuenchboxEditor::releasePanels()
{
    for (HBITMAP* panel : {&mainPanel, &aboutPanel}) {
        if (*panel != nullptr)
            DeleteObject(*panel);
        *panel = nullptr;
    }
    panelScale = 0.0;
}

bool QuenchboxEditor::getRect(ERect** hostRect)
{
    if (hostRect == nullptr)
        return false;
    // Hosts ask before the window opens; the system's DPI stands in for the
    // monitor's until the editor knows where it is.
    if (window == nullptr)
        resolveScale(systemScaleFor(nullptr));
    *hostRect = &rect;
    return true;
}

bool QuenchboxEditor::windowOpen() const { return window != nullptr; }

// The widgets keep their values and states; only their windows and bitmaps
// are made again.
void QuenchboxEditor::rebuildAtScale()
{
    destroyWidgets();
    loadPanels();
    SetWindowPos(window, nullptr, 0, 0, rect.right, rect.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    createWidgets();
    model.showAbout(model.aboutShown());
    model.replotResponse();
    InvalidateRect(window, nullptr, FALSE);
}

void QuenchboxEditor::showZoomMenu()
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    const double chosen = userZoom();
    for (int choice = 0; choice < kZoomChoiceCount; ++choice)
        AppendMenuA(menu, MF_STRING | (zoomChoiceScale(choice) == chosen ? MF_CHECKED : 0u),
                    static_cast<UINT_PTR>(choice + 1), zoomChoiceLabel(choice));
    // Under the badge, left-aligned with it.
    POINT below = {scaledLength(kZoomBadge.x, currentScale), scaledLength(kZoomBadge.y + kZoomBadge.height, currentScale)};
    ClientToScreen(window, &below);
    const int picked = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, below.x, below.y, 0, window, nullptr));
    DestroyMenu(menu);
    if (picked > 0)
        chooseZoom(picked - 1);
}

bool QuenchboxEditor::open(void* parentWindow)
{
    if (parentWindow == nullptr)
        return false;
    systemWindow = parentWindow;
    resolveScale(systemScaleFor(static_cast<HWND>(parentWindow)));
    loadPanels();
    window = CreateWindowExA(0, kWindowClass, kWindowName, WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, static_cast<HWND>(parentWindow), nullptr,
                             win32::moduleInstance(), nullptr);
    if (window == nullptr) {
        close();
        return false;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    createWidgets();
    timerId = SetTimer(window, kTimerId, kRefreshMs, nullptr);

    ShowWindow(window, SW_SHOW);
    for (int i = 0; i <= kLastWidget; ++i)
        if (i != kDeepDial && widgets[i]->window() != nullptr)
            ShowWindow(widgets[i]->window(), SW_SHOW);
    model.opened();
    UpdateWindow(window);
    model.refresh(steadyMs());
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

// A check still running shows its answer without an owner from now on.
void QuenchboxEditor::releaseUpdateOwner()
{
    if (updateOwner == nullptr)
        return;
    updateOwner->forgetWindow();
    updateOwner->release();
    updateOwner = nullptr;
}

void QuenchboxEditor::close()
{
    model.chooseMenuItem(-1);
    model.keyboardFocus(false);
    if (window != nullptr && timerId != 0)
        KillTimer(window, kTimerId);
    timerId = 0;
    destroyWidgets();
    if (updateOwner != nullptr)
        updateOwner->forgetWindow();
    if (window != nullptr)
        DestroyWindow(window);
    window = nullptr;
    AEffEditor::close();
}

void QuenchboxEditor::destroyWidgets()
{
    for (CSkinWindow* widget : widgets)
        widget->destroy();
    for (COverlay* piece : {&focusRing, &valueField, &valueLabel})
        piece->destroy();
}

// Dials, icons and the scope first, then row by row the switch, slider and
// value label, then the top buttons: the order fixes the windows' z-order.
void QuenchboxEditor::createWidgets()
{
    const HINSTANCE module = win32::moduleInstance();
    const double scale = currentScale;
    for (int d = 0; d < 6; ++d)
        dials[d].create(module, window, mainPanel, kDials[d].x, kDials[d].litSkin, scale);
    for (int i = 0; i < 3; ++i)
        icons[i].create(module, window, mainPanel, kIcons[i].skin, kIcons[i].x, kIcons[i].y, scale);
    scope.create(module, window, mainPanel, scale);
    auto createButton = [&](int index) {
        const ButtonPlace& place = kButtons[index - kOversampleButton];
        buttons[index - kOversampleButton].create(module, window, mainPanel, place.x, place.y, place.skin,
                                                  static_cast<unsigned>(index), scale);
    };
    for (int row = 0; row < 4; ++row) {
        createButton(kModeButton + row);
        sliders[row].create(module, window, mainPanel, kRowY[row], scale);
        labels[row].create(module, window, mainPanel, kRowY[row], scale);
    }
    for (int index : {kAboutButton, kUpdateButton, kOversampleButton, kChannelsButton})
        createButton(index);
    // The overlay above everything, the label topmost.
    focusRing.create(module, window, COverlay::Kind::focusRing, scale);
    valueField.create(module, window, COverlay::Kind::field, scale);
    valueLabel.create(module, window, COverlay::Kind::label, scale);
    overlayChanged();
}

void QuenchboxEditor::showWidgets(bool visible, int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (widgets[i]->window() != nullptr)
            ShowWindow(widgets[i]->window(), visible ? SW_SHOW : SW_HIDE);
    UpdateWindow(window);
}

void QuenchboxEditor::repaintPanel() { InvalidateRect(window, nullptr, FALSE); }

void QuenchboxEditor::showButtonState(int widget, unsigned state) { buttons[widget - kOversampleButton].setState(state); }

void QuenchboxEditor::showIconOpacity(int icon, int opacity)
{
    icons[icon].setOpacity(opacity);
    if (icons[icon].window() != nullptr)
        InvalidateRect(icons[icon].window(), nullptr, FALSE);
}

// A hidden dial (the Deep dial in the first variant) gets no paint; its
// value counts as shown, or every tick would write it to the host again.
void QuenchboxEditor::repaintDial(int dial)
{
    HWND control = dials[dial].window();
    if (control != nullptr && IsWindowVisible(control))
        InvalidateRect(control, nullptr, FALSE);
    else
        dials[dial].model().catchUpPainted();
}

void QuenchboxEditor::repaintSlider(int slider)
{
    if (sliders[slider].window() == nullptr)
        return;
    InvalidateRect(sliders[slider].window(), nullptr, FALSE);
    UpdateWindow(sliders[slider].window());
}

void QuenchboxEditor::showValueText(int label, const char* text)
{
    labels[label].setText(text);
    if (labels[label].window() != nullptr)
        InvalidateRect(labels[label].window(), nullptr, FALSE);
}

LRESULT CALLBACK QuenchboxEditor::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* editor = reinterpret_cast<QuenchboxEditor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (editor == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return editor->handleMessage(window, message, wParam, lParam);
}

LRESULT QuenchboxEditor::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kTimerId && !model.aboutShown())
            model.refresh(steadyMs());
        return 0;
    case kWidgetNotification:
        onWidgetNotification(static_cast<unsigned>(wParam), (lParam & 1) != 0);
        return 1;
    case kGestureNotification:
        onGesture(wParam == kGestureBegins, reinterpret_cast<HWND>(lParam));
        return 1;
    case kPressNotification:
        SetFocus(window);
        model.pressedOn(widgetOf(reinterpret_cast<HWND>(lParam)));
        return 1;
    case WM_LBUTTONDOWN:
        SetFocus(window);
        model.pressedOn(-1);
        // The maker's badge lies on the panel itself, under no widget.
        if (kZoomBadge.contains(panelCoordinate(GET_X_LPARAM(lParam), currentScale),
                                panelCoordinate(GET_Y_LPARAM(lParam), currentScale)))
            showZoomMenu();
        return 0;
    case WM_MOUSEWHEEL:
        onWheel(wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        if (onMouse(message, wParam, lParam))
            return 0;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        model.keyboardFocus(message == WM_SETFOCUS);
        return 0;
    case WM_GETDLGCODE:  // a dialog host leaves Tab, the arrows and Enter to the panel
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (!onKey(wParam))
            forwardToHost(message, wParam, lParam);
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
        // The host's message loop makes its own characters of the keys it
        // is handed back (TranslateMessage): a character is never passed on.
        onCharacter(wParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        forwardToHost(message, wParam, lParam);
        return 0;
    case kDpiChanged:
    case kDpiChangedAfterParent:
        systemScaleChanged(systemScaleFor(hwnd));
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void QuenchboxEditor::paint(HWND hwnd, HDC given)
{
    PAINTSTRUCT ps = {};
    HDC target = given != nullptr ? given : BeginPaint(hwnd, &ps);
    RECT clip = {};
    GetClipBox(target, &clip);
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(source, model.aboutShown() ? aboutPanel : mainPanel);
    BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, source, clip.left, clip.top,
           SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    if (given == nullptr)
        EndPaint(hwnd, &ps);
}

void QuenchboxEditor::onWidgetNotification(unsigned id, bool on)
{
    if (!model.onButton(static_cast<int>(id), on))
        checkForUpdates();
}

void QuenchboxEditor::onGesture(bool begins, HWND control)
{
    for (int i = 0; i < kWidgetCount; ++i) {
        if (control == nullptr || widgets[i]->window() != control)
            continue;
        if (begins)
            model.beginGesture(i);
        else
            model.endGesture(i);
    }
}

int QuenchboxEditor::widgetOf(HWND control) const
{
    for (int i = 0; i < kWidgetCount; ++i)
        if (control != nullptr && widgets[i]->window() == control)
            return i;
    return -1;
}

// The shown widget under a point of the editor window, -1 for none.
int QuenchboxEditor::widgetAt(LPARAM lParam) const
{
    const int x = panelCoordinate(GET_X_LPARAM(lParam), currentScale);
    const int y = panelCoordinate(GET_Y_LPARAM(lParam), currentScale);
    for (int i = 0; i < kWidgetCount; ++i) {
        const PanelArea area = widgets[i]->panelArea();
        if (widgetShown(i) && area.contains(x, y))
            return i;
    }
    return -1;
}

bool QuenchboxEditor::widgetShown(int widget) const
{
    HWND control = widgets[widget]->window();
    return control != nullptr && IsWindowVisible(control);
}

// Mouse messages of the editor window and those its widgets pass on
// (CSkinWindow), in the editor window's coordinates.
bool QuenchboxEditor::onMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int widget = message == WM_MOUSELEAVE ? -1 : widgetAt(lParam);
    switch (message) {
    case WM_RBUTTONDOWN:
        SetFocus(window);
        model.pressedOn(widget);
        if (model.openMenu(widget, panelCoordinate(GET_X_LPARAM(lParam), currentScale),
                           panelCoordinate(GET_Y_LPARAM(lParam), currentScale)))
            runControlMenu();
        return true;
    case WM_LBUTTONDBLCLK:
        model.doubleClicked(widget, (wParam & MK_CONTROL) != 0);
        return true;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT leave = {sizeof(leave), TME_LEAVE, window, 0};
        TrackMouseEvent(&leave);
        model.pointerOver(widget, steadyMs());
        return true;
    }
    default:
        model.pointerOver(-1, steadyMs());
        return true;
    }
}

// High-resolution wheels send fractions of a notch; they count once they
// add up to one, on the same control. A wheel over no control is the host's.
void QuenchboxEditor::onWheel(WPARAM wParam, LPARAM lParam)
{
    POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &at);
    const int widget = widgetAt(MAKELPARAM(at.x, at.y));
    if (widget != wheelWidget)
        wheelRest = 0;
    wheelWidget = widget;
    wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
    const int notches = wheelRest / WHEEL_DELTA;
    wheelRest -= notches * WHEEL_DELTA;
    if (notches != 0 && !model.wheel(widget, notches, (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0, steadyMs()))
        forwardToHost(WM_MOUSEWHEEL, wParam, lParam);
}

bool QuenchboxEditor::onKey(WPARAM virtualKey)
{
    const PanelKey key = keyOf(virtualKey);
    // Typed characters come as WM_CHAR; space only types in the text field.
    if (key == PanelKey::other || (key == PanelKey::space && model.overlay().fieldShown))
        return model.overlay().fieldShown;
    return model.key({key, held(VK_SHIFT), held(VK_CONTROL) || held(VK_MENU), ""}, steadyMs());
}

void QuenchboxEditor::onCharacter(WPARAM character)
{
    if (!model.overlay().fieldShown || character < 0x20)  // Enter, Tab, Backspace and Escape came as keys
        return;
    // The window class is an ANSI one: its characters are in the ANSI code page.
    const char ansi[2] = {static_cast<char>(character), '\0'};
    wchar_t wide[2] = {};
    char typed[8] = {};
    if (MultiByteToWideChar(CP_ACP, 0, ansi, 1, wide, 1) == 1)
        WideCharToMultiByte(CP_UTF8, 0, wide, 1, typed, sizeof(typed) - 1, nullptr, nullptr);
    model.key({PanelKey::other, false, false, typed}, steadyMs());
}

// A key or wheel the panel has no use for goes to the host's window, which
// would have had it had the panel not taken the focus: posted, so that the
// host's message loop, where shortcuts are often read, sees it.
void QuenchboxEditor::forwardToHost(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND host = GetParent(window);
    if (host != nullptr)
        PostMessageA(host, message, wParam, lParam);
}

bool QuenchboxEditor::onKeyDown(VstKeyCode& code)
{
    if (window == nullptr)
        return false;
    char typed[2] = {};
    const KeyStroke stroke = strokeFromVirtual(code.character, code.virt, code.modifier, typed);
    // The host hands over keys only while the editor has its attention.
    model.keyboardFocus(true);
    return model.key(stroke, steadyMs());
}

// The control's menu as the system's popup menu at the pointer; the host's
// items (UTF-8) are shown as they are.
void QuenchboxEditor::runControlMenu()
{
    const ControlMenu& items = model.menu();
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        model.chooseMenuItem(-1);
        return;
    }
    for (int i = 0; i < items.count; ++i) {
        const ControlMenuItem& item = items.items[i];
        wchar_t label[effect::HostMenuItem::kLabelSize] = {};
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, item.label, -1, label, static_cast<int>(std::size(label))) == 0)
            lstrcpynW(label, L"?", static_cast<int>(std::size(label)));
        const UINT flags = item.separator ? MF_SEPARATOR
                                          : MF_STRING | (item.enabled ? 0u : MF_GRAYED) | (item.checked ? MF_CHECKED : 0u);
        AppendMenuW(menu, flags, kControlMenuFirstId + static_cast<UINT_PTR>(i), item.separator ? nullptr : label);
    }
    POINT at = {scaledLength(items.x, currentScale), scaledLength(items.y, currentScale)};
    ClientToScreen(window, &at);
    const auto picked = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
    DestroyMenu(menu);
    model.chooseMenuItem(picked > 0 ? picked - static_cast<int>(kControlMenuFirstId) : -1);
}

void QuenchboxEditor::pressButton(int widget)
{
    CLedButton& button = buttons[widget - kOversampleButton];
    button.setState(button.state() ^ 1u);
    onWidgetNotification(static_cast<unsigned>(widget), button.state() == 1);
}

// Each piece of the overlay is a window of its own over the widgets.
void QuenchboxEditor::overlayChanged()
{
    const PanelOverlay& overlay = model.overlay();
    const bool shown = !model.aboutShown();
    if (shown && overlay.focusShown)
        focusRing.show(overlay.focusBox, "", nullptr);
    else
        focusRing.hide();
    if (shown && overlay.fieldShown)
        valueField.show(overlay.fieldBox, "", &overlay.field);
    else
        valueField.hide();
    if (shown && overlay.labelShown)
        valueLabel.show(overlay.labelBox, overlay.labelText, nullptr);
    else
        valueLabel.hide();
}

// One check at a time; the button springs back at once either way.
void QuenchboxEditor::checkForUpdates()
{
    DWORD exitCode = 0;
    const bool running = updateThread != nullptr && GetExitCodeThread(updateThread, &exitCode) && exitCode == STILL_ACTIVE;
    if (!running) {
        if (updateThread != nullptr)
            CloseHandle(updateThread);
        releaseUpdateOwner();
        updateOwner = new UpdateOwner(window);
        updateThread = startUpdateCheck(updateOwner);
    }
    buttons[kUpdateButton - kOversampleButton].setState(0);
}

}  // namespace quenchbox::editor
