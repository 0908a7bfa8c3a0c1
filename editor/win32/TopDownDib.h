#ifndef QUENCHBOX_EDITOR_WIN32_TOPDOWNDIB_H
#define QUENCHBOX_EDITOR_WIN32_TOPDOWNDIB_H

#include <windows.h>

namespace quenchbox::editor {

// The header of a 32-bit device-independent bitmap whose first row is the
// top one (a negative height), so that pixel (x, y) sits at y * width + x.
inline BITMAPINFO topDownDibInfo(LONG width, LONG height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace quenchbox::editor

#endif
