#include "win32/ModuleInstance.h"

namespace {

HINSTANCE libraryInstance = nullptr;

}  // namespace

HINSTANCE quenchbox::win32::moduleInstance() { return libraryInstance; }

// Stored on every call, whatever the reason: the handle never changes while
// the library is loaded, and no call may fail the load.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/)
{
    libraryInstance = instance;
    return TRUE;
}
