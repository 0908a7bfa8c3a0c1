#ifndef QUENCHBOX_EDITOR_WIN32_CBUFFEREDPAINTDC_H
#define QUENCHBOX_EDITOR_WIN32_CBUFFEREDPAINTDC_H

#include "editor/win32/COffscreenDC.h"

namespace quenchbox::editor {

// Double buffer for a paint in several steps: the widget draws into dc() in
// window coordinates, and destruction copies the clip box to the target in
// one BitBlt, so the screen never shows a half-drawn widget.
class CBufferedPaintDC : public COffscreenDC {
public:
    explicit CBufferedPaintDC(HDC target);
    ~CBufferedPaintDC() override;

private:
    HDC target;
    RECT clip = {};
};

}  // namespace quenchbox::editor

#endif
