#include "shell/AudioEffect.h"

#include <new>

#if defined(_WIN32)
#define QUENCHBOX_EXPORT __declspec(dllexport)
#else
#define QUENCHBOX_EXPORT __attribute__((visibility("default")))
#endif

// The host calls this once per instance. The library also exports it under
// the name "main", which older hosts look for.
extern "C" QUENCHBOX_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        return createEffectInstance(audioMaster)->getAeffect();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
