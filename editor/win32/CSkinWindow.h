#ifndef QUENCHBOX_EDITOR_WIN32_CSKINWINDOW_H
#define QUENCHBOX_EDITOR_WIN32_CSKINWINDOW_H

#include "editor/ControlInput.h"
#include "editor/EditorLayout.h"
#include "editor/EditorScale.h"
#include "editor/win32/LiveWindowCounter.h"

#include <windows.h>

#include <cstddef>

namespace quenchbox::editor {

constexpr std::size_t kClassNameSize = 128;

// The window-class name of a widget class in one module: the module file's
// name (the part of `modulePath` after its last backslash; nothing when it
// has none) followed by `literal`. Two copies of the plug-in under different
// file names thus register different classes. The result always fits the
// buffer with its terminator and always ends with the whole literal: a file
// name too long for both is cut, so that the widget classes of one module
// never collapse into one name.
void composeWindowClassName(const char* modulePath, const char* literal, char (&name)[kClassNameSize]);

// Base of the editor's widgets. Each widget is a child window of its own
// class that paints itself from skins composited over a copy of the piece of
// the editor's panel that lies under it, so the separate rectangular windows
// look seamless on the panel. The widget object outlives its window: the
// window exists from the widget's create to its destroy.
//
// A widget is made for one scale: its place is given in panel units, its
// window, bitmaps and paint are in pixels at that scale (width() and
// height() are pixels), and the pointer's positions reach its model in
// panel units again, relative to the widget, so a drag over the same panel
// distance moves it as far at every size.
class CSkinWindow {
public:
    virtual ~CSkinWindow() = default;

    CSkinWindow(const CSkinWindow&) = delete;
    CSkinWindow& operator=(const CSkinWindow&) = delete;

    // Destroys the window and frees the widget's bitmaps; does nothing
    // without a window.
    virtual void destroy() = 0;
    virtual const char* className() const = 0;
    virtual LiveWindowCounter& liveWindowCount() const = 0;
    virtual WNDPROC windowProcedure() const = 0;

    HWND window() const { return hwnd; }
    double scale() const { return drawnScale; }
    int width() const { return widgetWidth; }
    int height() const { return widgetHeight; }
    // The widget's place and size in panel units.
    PanelArea panelArea() const { return {panelLeft, panelTop, panelWidth, panelHeight}; }
    const char* registeredClassName() const { return classNameBuffer; }
    // Live windows of this widget's class in its module.
    int liveWindowsOfClass() const { return liveWindowCount().of(module); }

protected:
    CSkinWindow() = default;

    void attach(HINSTANCE moduleInstance, HWND parentWindow, double scale = 1.0);
    // Places the widget at (x, y) with a size of `width` x `height`, all in
    // panel units: its pixel place and size follow from the scale.
    void place(int x, int y, int width, int height);
    // The skin `skinId`, `frames` frames of the widget's pixel size.
    HBITMAP loadSkin(int skinId, int frames = 1) const;
    // A pointer position in the widget's window as panel units from the
    // widget's top left corner.
    int panelX(LPARAM lParam) const;
    int panelY(LPARAM lParam) const;
    // Registers the class if needed and creates the child window at the
    // widget's place. Answers false when no window was created.
    bool createWindow();
    void destroyWindow();

    // A new bitmap of `frames` frames of the widget's size stacked
    // vertically: each frame the panel's piece under the widget (the panel
    // drawn at the widget's scale), then `overlay` (a premultiplied skin
    // with the same frames, or null) alpha-blended over the whole strip with
    // `constantAlpha`. The caller owns it.
    HBITMAP buildFrameStrip(HBITMAP panel, HBITMAP overlay, int frames, BYTE constantAlpha) const;

    // Tells the parent where a left-button drag begins or ends
    // (kGestureBegins, kGestureEnds).
    void tellGesture(WPARAM phase) const;
    // Carries out what a press on a dial or slider asks for: the pointer
    // grab and the gesture notifications.
    void pressed(const PressOutcome& outcome) const;
    // A release: lets the pointer go when asked, ends the gesture.
    void released(bool letGo) const;

    // The window procedure of every widget class: hands each message to
    // Widget::handleMessage once the widget pointer is in the window's user
    // data, and never erases (every widget paints its whole area).
    template <typename Widget>
    static LRESULT CALLBACK routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* base = reinterpret_cast<CSkinWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (base == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_ERASEBKGND)
            return 1;
        if (message == WM_NCDESTROY)
            base->forgetWindow(window);
        if (base->handledByEditor(message, wParam, lParam))
            return 0;
        return static_cast<Widget*>(base)->handleMessage(window, message, wParam, lParam);
    }

    HINSTANCE module = nullptr;
    double drawnScale = 1.0;
    int panelLeft = 0;  // the place in panel units
    int panelTop = 0;
    int pixelLeft = 0;  // and in the editor window's pixels
    int pixelTop = 0;
    int panelWidth = 0;
    int panelHeight = 0;
    int widgetWidth = 0;
    int widgetHeight = 0;
    HWND hwnd = nullptr;
    HWND parent = nullptr;
    char classNameBuffer[kClassNameSize] = {};

private:
    void registerWindowClass();
    void forgetWindow(HWND window);
    // What the editor does for every widget alike - the focus a press
    // takes, the resting pointer, the wheel, right clicks and double clicks
    // (EditorModel) - reaches it as the editor's own mouse message; answers
    // whether the widget itself has nothing to do with it.
    bool handledByEditor(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace quenchbox::editor

#endif
