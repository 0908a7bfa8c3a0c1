// Linked into the binaries that carry no editor (the LV2 DSP binary, the
// offline host, the core's own tests): their effect has none.

#include "effect/EditorFactory.h"

namespace quenchbox::effect {

AEffEditor* createEditor(QuenchboxEffect* /*effect*/) { return nullptr; }

}  // namespace quenchbox::effect
