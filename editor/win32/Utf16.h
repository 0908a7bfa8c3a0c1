#ifndef QUENCHBOX_EDITOR_WIN32_UTF16_H
#define QUENCHBOX_EDITOR_WIN32_UTF16_H

#include <windows.h>

#include <string>

namespace quenchbox::editor {

// Windows speaks UTF-16; every string of ours holds UTF-8 (paths, names,
// texts). Broken sequences become replacement characters either way.

inline std::wstring wide(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

// `length` UTF-16 units of `text`, or up to its terminator when -1.
inline std::string utf8(const wchar_t* text, int length = -1)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string converted(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, converted.data(), bytes, nullptr, nullptr);
    if (length < 0)
        converted.pop_back();  // the terminator
    return converted;
}

}  // namespace quenchbox::editor

#endif
