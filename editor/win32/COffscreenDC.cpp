#include "editor/win32/COffscreenDC.h"

namespace quenchbox::editor {

COffscreenDC::~COffscreenDC() { reset(); }

bool COffscreenDC::create(HDC reference, HBITMAP bitmap)
{
    reset();
    memoryDC = CreateCompatibleDC(reference);
    if (memoryDC == nullptr || bitmap == nullptr) {
        if (bitmap)
            DeleteObject(bitmap);
        reset();
        return false;
    }
    stockBitmap = SelectObject(memoryDC, bitmap);
    return true;
}

void COffscreenDC::reset()
{
    if (memoryDC == nullptr)
        return;
    HGDIOBJ current = GetCurrentObject(memoryDC, OBJ_BITMAP);
    if (stockBitmap != nullptr && current != stockBitmap) {
        SelectObject(memoryDC, stockBitmap);
        DeleteObject(current);
    }
    DeleteDC(memoryDC);
    memoryDC = nullptr;
    stockBitmap = nullptr;
}

}  // namespace quenchbox::editor
