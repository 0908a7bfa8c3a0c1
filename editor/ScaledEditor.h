#ifndef QUENCHBOX_EDITOR_SCALEDEDITOR_H
#define QUENCHBOX_EDITOR_SCALEDEDITOR_H

#include "editor/EditorScale.h"
#include "editor/PluginConnection.h"
#include "editor/ScalableEditor.h"
#include "shell/Vst2.h"

namespace quenchbox::editor {

// The scale bookkeeping every window layer's editor shares: where the scale
// comes from (ScaleSources), the editor rectangle at that scale, the user's
// zoom choice and its settings file, and whom to ask for room when the panel
// grows or shrinks by itself: the format's size requests where it hands the
// editor some, else the plug-in connection's. A layer supplies its window's
// side: whether it is open and how it rebuilds at a new scale.
class ScaledEditor : public ScalableEditor {
public:
    bool setHostScale(double factor) override;
    void resizeToFit(int& width, int& height) override;
    double scale() const override { return currentScale; }
    void setSizeRequests(EditorSizeRequests* requests) override { sizeRequests = requests; }

protected:
    explicit ScaledEditor(PluginConnection& connection) : plugin(connection) { sizeRectForScale(); }
    ~ScaledEditor() = default;

    // The user's zoom may have been chosen in another instance since: the
    // settings file is read each time. `systemScale` 0 keeps the screen's
    // scale as it was.
    void resolveScale(double systemScale);
    // The entry of the zoom menu that the remembered zoom is.
    int zoomChoice() const;
    // The user picked an entry: remembered, shown, and the host asked for room.
    void chooseZoom(int choice);
    // The window moved to a screen of another density.
    void systemScaleChanged(double systemScale);
    double userZoom() const { return sources.userZoom(); }

    virtual bool windowOpen() const = 0;
    virtual void rebuildAtScale() = 0;

    // The editor's rectangle at the current scale, as getRect hands it over.
    ERect rect{};
    double currentScale = 1.0;

private:
    void applyScale(double newScale, bool tellHost);
    void sizeRectForScale();

    PluginConnection& plugin;
    ScaleSources sources;
    EditorSizeRequests* sizeRequests = nullptr;
};

}  // namespace quenchbox::editor

#endif
