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

// Skin `resourceId` for the editor drawn at `scale`, `width` x `height`
// pixels (its 1x size scaled): at 1x the skin itself, at 2x its 2x
// rendering (id + SKIN_2X_OFFSET), between them the 2x rendering reduced by
// resampleByArea, as the X11 build reduces it. Null as for loadPngResource.
HBITMAP loadScaledPngResource(HINSTANCE module, int resourceId, double scale, int width, int height);

// The size the PNG resource's header states, without decoding it.
bool pngResourceSize(HINSTANCE module, int resourceId, int& width, int& height);

}  // namespace quenchbox::editor

#endif
