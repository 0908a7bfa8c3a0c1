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

int editorCount = 0;  // editor objects in this module; the window class lives while there are any

void registerWindowClass(WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
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
    model.refresh();
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
            model.refresh();
        return 0;
    case kWidgetNotification:
        onWidgetNotification(static_cast<unsigned>(wParam), (lParam & 1) != 0);
        return 1;
    case kGestureNotification:
        onGesture(wParam == kGestureBegins, reinterpret_cast<HWND>(lParam));
        return 1;
    case WM_LBUTTONDOWN:
        // The maker's badge lies on the panel itself, under no widget.
        if (kZoomBadge.contains(panelCoordinate(GET_X_LPARAM(lParam), currentScale),
                                panelCoordinate(GET_Y_LPARAM(lParam), currentScale)))
            showZoomMenu();
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
