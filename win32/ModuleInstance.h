#ifndef QUENCHBOX_WIN32_MODULEINSTANCE_H
#define QUENCHBOX_WIN32_MODULEINSTANCE_H

#include <windows.h>

namespace quenchbox::win32 {

// The plug-in library's own instance handle, as DllMain last received it.
// The skins are resources of the library and its window classes are
// registered for it; the host executable's handle (or none) finds neither.
// Null in a program that links the plug-in's code directly.
HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

}  // namespace quenchbox::win32

#endif
