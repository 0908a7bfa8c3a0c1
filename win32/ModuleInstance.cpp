#include "win32/ModuleInstance.h"

namespace {

HINSTANCE libraryInstance = nullptr;

}  // namespace

HINSTANCE quenchbox::win32::moduleInstance() { return libraryInstance; }

void quenchbox::win32::setModuleInstance(HINSTANCE instance) { libraryInstance = instance; }
