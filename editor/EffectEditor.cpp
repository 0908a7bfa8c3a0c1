// Linked into the binaries that carry the editor (VST2, CLAP, VST3): the
// effect creates the window system's editor, connected to it the VST 2.4 way.

#include "editor/EffectConnection.h"
#include "effect/EditorFactory.h"
#include "effect/QuenchboxEffect.h"
#if defined(_WIN32)
#include "editor/win32/QuenchboxEditor.h"
#else
#include "editor/x11/QuenchboxEditor.h"
#endif

#include <mutex>

namespace quenchbox {

namespace {

// The connection is a base so that it is made before the editor that uses
// it and goes after it.
class EffectEditor final : private editor::EffectConnection, public editor::QuenchboxEditor {
public:
    explicit EffectEditor(effect::QuenchboxEffect* owner)
        : editor::EffectConnection(owner), editor::QuenchboxEditor(owner, *this)
    {
    }

    // The effect's own part is gone by now when the effect goes (the editor
    // goes with the base part), so only the base's fields are touched.
    ~EffectEditor() override
    {
        std::lock_guard<effect::EffectLock> holdMeters(meterLock());
        effect->setEditor(nullptr);
        effect->hasEditor(false);
    }
};

}  // namespace

AEffEditor* effect::createEditor(QuenchboxEffect* effect) { return new EffectEditor(effect); }

}  // namespace quenchbox
