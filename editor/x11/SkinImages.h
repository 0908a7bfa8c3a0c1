#ifndef QUENCHBOX_EDITOR_X11_SKINIMAGES_H
#define QUENCHBOX_EDITOR_X11_SKINIMAGES_H

#include <cairo.h>

#include <vector>

namespace quenchbox::editor {

// The skins bound into the library, decoded by cairo's PNG reader into
// premultiplied ARGB32 image surfaces: what cairo's OVER operator blends, as
// AlphaBlend blends the Windows build's premultiplied bitmaps.

// A new image surface of skin `id`, or null when the library has no such
// skin or it does not decode. The caller destroys it.
cairo_surface_t* loadSkin(int id);

// Skin `id` drawn for `scale` at `width` x `height` pixels (its size at 1x
// scaled, as scaledBox places it): at 1x the skin itself, at 2x its 2x
// rendering, between them the 2x rendering reduced by resampleByArea, as
// the Windows build reduces it. Null as for loadSkin.
cairo_surface_t* loadSkinScaled(int id, double scale, int width, int height);

// The skins one editor has decoded for its scale, each once, kept while the
// scale stays (like the panels, from the first open until the editor goes):
// opening again, or building six dials from one frame, decodes nothing.
class SkinSet {
public:
    SkinSet() = default;
    ~SkinSet() { clear(); }
    SkinSet(const SkinSet&) = delete;
    SkinSet& operator=(const SkinSet&) = delete;

    // Forgets every skin when the scale changes.
    void useScale(double newScale);
    double scale() const { return current; }
    // As loadSkinScaled, a new reference the caller destroys.
    cairo_surface_t* load(int id, int width, int height);
    void clear();

private:
    struct Entry {
        int id;
        int width;
        int height;
        cairo_surface_t* surface;
    };
    double current = 1.0;
    std::vector<Entry> entries;
};

// The size the skin's PNG header states, without decoding it; false when
// there is no such skin.
bool skinSize(int id, int& width, int& height);

}  // namespace quenchbox::editor

#endif
