#include "win32/ModuleInstance.h"

// Stored on every call, whatever the reason: the handle never changes while
// the library is loaded, and no call may fail the load.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/)
{
    quenchbox::win32::setModuleInstance(instance);
    return TRUE;
}
