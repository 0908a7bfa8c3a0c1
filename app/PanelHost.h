#ifndef QUENCHBOX_APP_PANELHOST_H
#define QUENCHBOX_APP_PANELHOST_H

#include "app/AppView.h"
#include "editor/ScalableEditor.h"

#include <vector>

class AEffEditor;

namespace quenchbox::app {

class AppController;

// What every window layer of the application does alike: it hosts the
// plug-in's own editor as a VST 2.4 host does (effEditOpen in a window of
// its own below the bar, effEditClose while a page takes the panel's place),
// sizes itself to the editor's zoom, bar included, and finds what a click
// on the bar or a page hits. The layer makes the windows, paints and
// translates its events.
class PanelHost : private editor::EditorSizeRequests {
protected:
    PanelHost(AEffEditor& panelEditor, AppController& appController) : editor(panelEditor), controller(appController) {}
    ~PanelHost() = default;

    // The editor opens in the layer's holder window, and the window takes
    // its size.
    void openEditor();
    void closeEditor();
    // Closes or opens the editor as the controller shows or hides a page.
    void followPage();
    // A click at window pixels (x, y): runs what it hits.
    void pressAt(int x, int y);
    int barPixels() const;

    // The layer's part: the editor's parent window, showing or hiding it,
    // and fitting its windows to a panel of this size (the scale is set).
    virtual void* holderWindow() = 0;
    virtual void showHolder(bool shown) = 0;
    virtual void fitPanel(int panelWidth, int panelHeight) = 0;

    AEffEditor& editor;
    AppController& controller;
    double scale = 1.0;  // window pixels per panel unit
    bool editorOpen = false;
    std::vector<ViewItem> painted;  // what the window shows; empty to repaint everything

private:
    bool requestEditorSize(int width, int height) override;
    void resizeTo(int panelWidth, int panelHeight);
};

}  // namespace quenchbox::app

#endif
