#include "host/BuiltInPlugin.h"

namespace quenchbox::host {

namespace {

AEffect* builtInEntry(audioMasterCallback audioMaster) { return createEffectInstance(audioMaster)->getAeffect(); }

}  // namespace

std::unique_ptr<VstPlugin> createBuiltInPlugin() { return VstPlugin::create(builtInEntry); }

effect::QuenchboxEffect& builtInEffect(VstPlugin& plugin)
{
    return *static_cast<effect::QuenchboxEffect*>(plugin.record()->object);
}

}  // namespace quenchbox::host
