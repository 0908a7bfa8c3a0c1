#ifndef QUENCHBOX_FORMATS_LV2_LV2EDITORACCESS_H
#define QUENCHBOX_FORMATS_LV2_LV2EDITORACCESS_H

#include "formats/shared/EditorEventQueue.h"

#include <cstdint>

namespace quenchbox::lv2 {

// What the plug-in's handle is: the UI gets it through instance-access and
// reaches the editor the effect owns only through these functions, whose
// code lives in the DSP binary. The UI binary is a shared object of its own;
// were it to link the editor or the effect, it would run a second copy of
// their process-wide tables beside the plug-in's.
struct Lv2EditorAccess {
    static constexpr std::uint32_t kMagic = 0x5a52'4251;  // "QBRZ"

    std::uint32_t magic = kMagic;  // tells a handle of ours from anything else
    void* instance = nullptr;      // the plug-in, for the functions below
    // A host's resize of the UI's window (ui:resize): the editor asks for one
    // when the user zooms in the panel. Answers whether the host took it.
    using ResizeFunction = bool (*)(void* context, int width, int height);
    // Opens the editor as a child of the X11 window `parent`; answers the
    // editor's window, 0 when it could not open. `resize` may be null.
    std::uintptr_t (*open)(void* instance, std::uintptr_t parent, ResizeFunction resize, void* context) = nullptr;
    void (*close)(void* instance) = nullptr;
    // The editor's refresh and input, on the host's UI thread.
    void (*idle)(void* instance) = nullptr;
    bool (*size)(void* instance, int* width, int* height) = nullptr;
    // A change the user made, on its way to the host's ports.
    bool (*takeEditorEvent)(void* instance, formats::EditorEvent* event) = nullptr;
    // A value the host shows on a control port (port_event).
    void (*showValue)(void* instance, int parameter, float value) = nullptr;
};

}  // namespace quenchbox::lv2

#endif
