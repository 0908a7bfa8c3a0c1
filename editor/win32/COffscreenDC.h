#ifndef QUENCHBOX_EDITOR_WIN32_COFFSCREENDC_H
#define QUENCHBOX_EDITOR_WIN32_COFFSCREENDC_H

#include <windows.h>

namespace quenchbox::editor {

// A memory device context that owns the bitmap selected into it. GDI keeps a
// bitmap alive while a DC holds it, so the DC's own (stock) bitmap is
// remembered and selected back before the owned one is deleted.
class COffscreenDC {
public:
    COffscreenDC() = default;
    virtual ~COffscreenDC();

    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    // Creates the memory DC, compatible with `reference`, and selects
    // `bitmap` into it; the DC owns the bitmap from then on, also when the
    // DC cannot be created. Frees what it held before.
    bool create(HDC reference, HBITMAP bitmap);
    // Deletes the owned bitmap and the DC; the object can be created again.
    void reset();

    HDC dc() const { return memoryDC; }
    explicit operator bool() const { return memoryDC != nullptr; }

protected:
    HDC memoryDC = nullptr;
    HGDIOBJ stockBitmap = nullptr;
};

}  // namespace quenchbox::editor

#endif
