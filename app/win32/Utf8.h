#ifndef QUENCHBOX_APP_WIN32_UTF8_H
#define QUENCHBOX_APP_WIN32_UTF8_H

#include <windows.h>

#include <string>

namespace quenchbox::app {

// Windows' UTF-16 text as the UTF-8 the program's strings hold.
inline std::string utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), length, nullptr, nullptr);
    converted.pop_back();  // the terminator
    return converted;
}

}  // namespace quenchbox::app

#endif
