#ifndef QUENCHBOX_APP_X11_APPWINDOW_H
#define QUENCHBOX_APP_X11_APPWINDOW_H

#include "app/AppRun.h"
#include "app/PanelHost.h"

#include <memory>
#include <string>

namespace quenchbox::app {

// The application's window on X11: a top-level window named "Quenchbox RZ"
// with the bar (AppController's items, drawn with cairo) on top and the
// plug-in's own editor below it, opened in a window of ours exactly as a
// VST 2.4 host opens it (effEditOpen with a parent, idle about thirty times
// a second), at the zoom the user chose on its badge. While a page is shown
// the editor is closed and the page takes its place. Everything runs on the
// thread that made the window.
class AppWindow final : public AppWindowLayer, private PanelHost {
public:
    AppWindow(AEffEditor& editor, AppController& controller);
    ~AppWindow() override;
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // AppWindowLayer: the display is opened in `open` and closed in `close`;
    // `update` also handles the X events that wait and lets the editor idle.
    bool open(std::string& error) override;
    void waitForEvents(int milliseconds) override;
    void update() override;
    bool closeRequested() const override { return closing; }
    void close() override;

private:
    struct Display;

    void* holderWindow() override;
    void showHolder(bool shown) override;
    void fitPanel(int panelWidth, int panelHeight) override;
    void handleEvents();
    void keyPressed(void* keyEvent);
    // Repaints what is uncovered when the items changed since the last
    // paint (an empty `painted` forces it).
    void paint();

    std::unique_ptr<Display> x;
    bool closing = false;
};

}  // namespace quenchbox::app

#endif
