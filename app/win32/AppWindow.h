#ifndef QUENCHBOX_APP_WIN32_APPWINDOW_H
#define QUENCHBOX_APP_WIN32_APPWINDOW_H

#include "app/AppRun.h"
#include "app/PanelHost.h"

#include <windows.h>

#include <string>

namespace quenchbox::app {

// The application's window on Windows: a top-level window "Quenchbox RZ"
// with the bar (AppController's items, drawn with GDI) on top and the
// plug-in's own editor below it, opened in a child window of ours exactly as
// a VST 2.4 host opens it, at the zoom the user chose on its badge. While a
// page is shown the editor is closed and the page takes its place. The
// editor runs on its own window timer, so the thread's message loop must be
// running; everything happens on the thread that made the window.
class AppWindow final : public AppWindowLayer, private PanelHost {
public:
    AppWindow(AEffEditor& editor, AppController& controller, HINSTANCE instance);
    ~AppWindow() override;
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // AppWindowLayer: `waitForEvents` dispatches the thread's messages, the
    // editor's and ours, for as long as it waits.
    bool open(std::string& error) override;
    void waitForEvents(int milliseconds) override;
    void update() override;
    bool closeRequested() const override { return closing; }
    void close() override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void* holderWindow() override { return panelHolder; }
    void showHolder(bool shown) override { ShowWindow(panelHolder, shown ? SW_SHOW : SW_HIDE); }
    void fitPanel(int panelWidth, int panelHeight) override;
    void typed(wchar_t character);
    void paint(HDC target);

    HINSTANCE instance;
    HWND window = nullptr;
    HWND panelHolder = nullptr;  // the editor's parent, below the bar
    HFONT font = nullptr;
    bool closing = false;
    wchar_t highSurrogate = 0;  // the first half of a character typed in two messages
};

}  // namespace quenchbox::app

#endif
