#ifndef QUENCHBOX_FORMATS_LV2_LV2UI_H
#define QUENCHBOX_FORMATS_LV2_LV2UI_H

#include "editor/PluginConnection.h"
#include "effect/ResponsePreview.h"
#include "formats/lv2/Lv2Ports.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

namespace quenchbox::editor {
class QuenchboxEditor;
}

namespace quenchbox::lv2 {

// The X11 UI: an editor of its own, opened in the host's parent window and
// driven by the host's idle calls on its UI thread, meeting the plug-in only
// through the host's ports, so that it runs wherever the host runs it (in
// the plug-in's process or another). The controls show the values the host
// sends (port_event); the user's edits go to the control ports through the
// host's write function, drags and presses wrapped in touch gestures where
// the host offers them. The stage icons follow the meter ports; the response
// display is computed here from the control values and the sample rate with
// the engine's own code.
class Lv2Ui final : public editor::PluginConnection {
public:
    // Null unless the host gives a parent window and a write function, and
    // the editor opens.
    static Lv2Ui* create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Ui();

    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    int idle();

    // PluginConnection
    float parameter(int index) override;
    void beginEdit(int index) override;
    void performEdit(int index, float value) override;
    void endEdit(int index) override;
    // LV2 has no selected program a UI could see: a reset puts a control
    // back to its port's default, the first factory program's value.
    float programValue(int index) override;
    bool hostMenu(int /*index*/, effect::HostMenu& menu) override
    {
        menu.count = 0;
        return false;
    }
    void chooseHostMenuItem(int /*index*/, int /*item*/) override {}
    float sampleRate() override { return rate; }
    bool updateResponse(engine::ResponseCurves& curves) override;
    effect::StageMeters stageMeters() override { return meters; }
    void requestResize(int width, int height) override;

private:
    struct HostFeatures;
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller, const HostFeatures& host);
    bool open(std::uintptr_t parent, double hostScale, LV2UI_Widget* widget);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    const LV2UI_Resize* resize;
    float rate;
    float values[effect::kParameterCount] = {};
    bool held[effect::kParameterCount] = {};
    effect::StageMeters meters;
    effect::ResponsePreview response;
    // Last: it goes first, while what it reads is still there.
    std::unique_ptr<editor::QuenchboxEditor> editor;
};

}  // namespace quenchbox::lv2

#endif
