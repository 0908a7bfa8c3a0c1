#include "editor/win32/CBufferedPaintDC.h"

namespace quenchbox::editor {

CBufferedPaintDC::CBufferedPaintDC(HDC target) : target(target)
{
    GetClipBox(target, &clip);
    // Covers the clip box in window coordinates, from the window's origin.
    create(target, CreateCompatibleBitmap(target, clip.right, clip.bottom));
}

CBufferedPaintDC::~CBufferedPaintDC()
{
    if (memoryDC != nullptr)
        BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memoryDC, clip.left,
               clip.top, SRCCOPY);
}

}  // namespace quenchbox::editor
