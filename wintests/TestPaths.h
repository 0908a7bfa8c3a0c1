#ifndef QUENCHBOX_WINTESTS_TESTPATHS_H
#define QUENCHBOX_WINTESTS_TESTPATHS_H

#include <windows.h>

#include <string>

namespace wintest {

// The test programs sit beside the library they test.
inline std::string besideThisProgram(const char* fileName)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + fileName;
}

}  // namespace wintest

#endif
