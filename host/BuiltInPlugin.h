#ifndef QUENCHBOX_HOST_BUILTINPLUGIN_H
#define QUENCHBOX_HOST_BUILTINPLUGIN_H

#include "effect/QuenchboxEffect.h"
#include "host/VstPlugin.h"

#include <memory>

namespace quenchbox::host {

// An instance of the Quenchbox effect linked into this program, driven
// through the same record as the loaded binary, for what the binary does not
// show a host: the response curves and the solver's work.
std::unique_ptr<VstPlugin> createBuiltInPlugin();

effect::QuenchboxEffect& builtInEffect(VstPlugin& plugin);

}  // namespace quenchbox::host

#endif
