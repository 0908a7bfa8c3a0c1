#ifndef QUENCHBOX_EFFECT_EDITORFACTORY_H
#define QUENCHBOX_EFFECT_EDITORFACTORY_H

class AEffEditor;

namespace quenchbox::effect {

class QuenchboxEffect;

// The editor an effect creates during its construction, owned by the effect
// from then on. Which one is chosen when a binary is linked: a binary with
// the editor links the editor library's definition, one without it links
// NoEditor.cpp, which answers null. The sound's code never names the editor.
AEffEditor* createEditor(QuenchboxEffect* effect);

}  // namespace quenchbox::effect

#endif
