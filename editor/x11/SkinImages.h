#ifndef QUENCHBOX_EDITOR_X11_SKINIMAGES_H
#define QUENCHBOX_EDITOR_X11_SKINIMAGES_H

#include <cairo.h>

namespace quenchbox::editor {

// The skins bound into the library, decoded by cairo's PNG reader into
// premultiplied ARGB32 image surfaces: what cairo's OVER operator blends, as
// AlphaBlend blends the Windows build's premultiplied bitmaps.

// A new image surface of skin `id`, or null when the library has no such
// skin or it does not decode. The caller destroys it.
cairo_surface_t* loadSkin(int id);

// The size the skin's PNG header states, without decoding it; false when
// there is no such skin.
bool skinSize(int id, int& width, int& height);

}  // namespace quenchbox::editor

#endif
