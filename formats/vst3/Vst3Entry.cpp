// The module's exports: GetPluginFactory, and the module's entry and exit
// (ModuleEntry and ModuleExit on Linux, InitDll and ExitDll on Windows).
// The plug-in keeps no module-wide state to set up or tear down.

#include "formats/vst3/Vst3Factory.h"

#if defined(_WIN32)
#define QUENCHBOX_VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define QUENCHBOX_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

QUENCHBOX_VST3_EXPORT quenchbox::vst3::IPluginFactory* GetPluginFactory()
{
    return &quenchbox::vst3::theFactory();
}

#if defined(_WIN32)
QUENCHBOX_VST3_EXPORT bool InitDll() { return true; }
QUENCHBOX_VST3_EXPORT bool ExitDll() { return true; }
#else
QUENCHBOX_VST3_EXPORT bool ModuleEntry(void* /*sharedLibraryHandle*/) { return true; }
QUENCHBOX_VST3_EXPORT bool ModuleExit() { return true; }
#endif
