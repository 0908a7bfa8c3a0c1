#ifndef QUENCHBOX_EDITOR_PLUGINCONNECTION_H
#define QUENCHBOX_EDITOR_PLUGINCONNECTION_H

#include "effect/HostMenu.h"
#include "effect/StageMeters.h"

namespace quenchbox::engine {
class ResponseCurves;
}

namespace quenchbox::editor {

// Everything the editor asks of the plug-in it shows, and nothing more: the
// editor runs the same whether the plug-in lives in its own process (the
// effect it was created with) or only at the far end of a host's ports (an
// LV2 UI). Parameter indices are the effect's, values normalized 0..1. Called
// on the editor's thread only.
class PluginConnection {
public:
    virtual float parameter(int index) = 0;
    // One edit of the user's: begin, any number of values, end. A host
    // records the values between as one gesture.
    virtual void beginEdit(int index) = 0;
    virtual void performEdit(int index, float value) = 0;
    virtual void endEdit(int index) = 0;

    // The value the selected program gives parameter `index`: where a
    // reset puts a control back.
    virtual float programValue(int index) = 0;
    // The host's items for the menu of parameter `index`'s control, and the
    // choice of one (see effect::HostMenus); false where the host has none.
    virtual bool hostMenu(int index, effect::HostMenu& menu) = 0;
    virtual void chooseHostMenuItem(int index, int item) = 0;

    virtual float sampleRate() = 0;
    // Brings the response display's curves up to the plug-in's settings:
    // recomputes whichever of the frequency grid and the two curves are
    // stale, and answers whether any was.
    virtual bool updateResponse(engine::ResponseCurves& curves) = 0;
    // The three stage meters as the audio thread last left them.
    virtual effect::StageMeters stageMeters() = 0;

    // The user zoomed: the window would be `width` x `height` pixels.
    virtual void requestResize(int width, int height) = 0;

protected:
    ~PluginConnection() = default;
};

}  // namespace quenchbox::editor

#endif
