#ifndef QUENCHBOX_HOST_PLUGINLIBRARY_H
#define QUENCHBOX_HOST_PLUGINLIBRARY_H

#include <dlfcn.h>

#include <string>

namespace quenchbox::host {

// A plug-in binary opened the way the hosts of ours open one: symbols bound
// at once and kept to itself, and never unloaded (closing it only drops the
// handle). The libraries a binary brings may allocate at load time what
// they free only with the process (pixman, under the editor's cairo): were
// they unloaded with it, that memory would be lost.
inline void* openPluginLibrary(const std::string& path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

}  // namespace quenchbox::host

#endif
