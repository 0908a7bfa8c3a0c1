#ifndef QUENCHBOX_FORMATS_LV2_LV2UI_H
#define QUENCHBOX_FORMATS_LV2_LV2UI_H

#include "formats/lv2/Lv2EditorAccess.h"
#include "formats/lv2/Lv2Ports.h"

#include <lv2/ui/ui.h>

#include <cstdint>

namespace quenchbox::lv2 {

// The X11 UI: the editor the running instance owns, opened in the host's
// parent window and driven by the host's idle calls on its UI thread. The
// user's changes go to the host's control ports through its write function,
// drags and presses wrapped in touch gestures when the host offers them;
// the host's values (port_event) are shown on the effect, except while the
// user holds that control and except the echo of what the UI wrote.
class Lv2Ui {
public:
    // Null unless the host gives our instance, a parent window and a write
    // function, and the editor opens.
    static Lv2Ui* create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Ui();

    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    int idle();

private:
    Lv2Ui(const Lv2EditorAccess& access, LV2UI_Write_Function write, LV2UI_Controller controller,
          const LV2UI_Touch* touch);
    void forward(const formats::EditorEvent& event);

    const Lv2EditorAccess& editor;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    bool held[effect::kParameterCount] = {};
    float written[effect::kParameterCount] = {};
    bool echoPending[effect::kParameterCount] = {};
};

}  // namespace quenchbox::lv2

#endif
