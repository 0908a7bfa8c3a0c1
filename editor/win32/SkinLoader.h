#ifndef QUENCHBOX_EDITOR_WIN32_SKINLOADER_H
#define QUENCHBOX_EDITOR_WIN32_SKINLOADER_H

#include <windows.h>

namespace quenchbox::editor {

// Decodes the PNG resource `resourceId` (type "PNG") of `module` into a
// 32-bit top-down DIB section with premultiplied alpha (B, G, R, A), which is
// what AlphaBlend with per-pixel alpha expects. The caller owns the bitmap.
// Answers null, silently, when the resource is missing or does not decode.
// COM must be initialised on the calling thread (the editor does that).
HBITMAP loadPngResource(HINSTANCE module, int resourceId);

}  // namespace quenchbox::editor

#endif
