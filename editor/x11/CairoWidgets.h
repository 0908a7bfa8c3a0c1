#ifndef QUENCHBOX_EDITOR_X11_CAIROWIDGETS_H
#define QUENCHBOX_EDITOR_X11_CAIROWIDGETS_H

#include "editor/DialModel.h"
#include "editor/EditorScale.h"
#include "editor/ScopePixels.h"
#include "editor/SliderModel.h"

#include <cairo.h>

namespace quenchbox::editor {

struct WidgetBox;

// The fill of the panel's menus and messages.
constexpr std::uint32_t kMenuFill = 0x202226;

// A 0x00RRGGBB colour as cairo's source.
void setSourceColour(cairo_t* cr, std::uint32_t colour);
// A box filled with `fill` inside a one-unit `border`, in the current units.
void paintFramedBox(cairo_t* cr, const WidgetBox& box, std::uint32_t fill, std::uint32_t border);

class SkinSet;
class TextPainter;

// The panel's controls drawn with cairo, the Linux counterparts of the Win32
// widget windows: each one's images are composited once, when the editor
// opens, from the panel piece under it and its skins, and a paint draws it
// into the editor's back buffer at its place with plain copies and at most
// one blend. The arithmetic lives in the shared models.
//
// Every control is built for one scale: its box stays in panel units (what
// the hit tests and drags use), its images are made at the box's size in
// window pixels (PixelBox), from the skins made for that scale, over the
// panel drawn at it.

// The place of a control on the panel, in panel units.
struct WidgetBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = true;

    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    PixelBox at(double scale) const { return scaledBox(x, y, width, height, scale); }
};

// Owns one cairo surface; destroys it when replaced or released.
class OwnedSurface {
public:
    OwnedSurface() = default;
    ~OwnedSurface() { reset(); }
    OwnedSurface(const OwnedSurface&) = delete;
    OwnedSurface& operator=(const OwnedSurface&) = delete;

    void reset(cairo_surface_t* surface = nullptr);
    cairo_surface_t* get() const { return owned; }
    explicit operator bool() const { return owned != nullptr; }

private:
    cairo_surface_t* owned = nullptr;
};

// `frames` copies of the panel's piece under `box` (window pixels),
// stacked vertically, with `skin` (the same frames, or null) blended over
// them: an opaque surface the caller owns.
cairo_surface_t* buildFrameStrip(cairo_surface_t* panel, const PixelBox& box, cairo_surface_t* skin, int frames);

class CairoDial {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins, int x, int litSkin);
    void release();
    void paint(cairo_surface_t* back);

    WidgetBox box;
    DialModel model;

private:
    double scale = 1.0;
    OwnedSurface unlit;
    OwnedSurface lit;
};

class CairoButton {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins, int x, int y, int skin);
    void release();
    void paint(cairo_t* back) const;

    WidgetBox box;
    unsigned state = 0;

private:
    double scale = 1.0;
    OwnedSurface strip;
};

class CairoSlider {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins, int y);
    void release();
    void paint(cairo_t* back);

    WidgetBox box;
    SliderModel model;

private:
    double scale = 1.0;
    OwnedSurface track;
    OwnedSurface thumb;
};

class CairoIcon {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins, int x, int y, int skin);
    void release();
    void paint(cairo_t* back) const;

    WidgetBox box;
    int opacity = 0;  // 0..255, the constant alpha of the icon over its background

private:
    double scale = 1.0;
    OwnedSurface background;
    OwnedSurface icon;
};

class CairoLabel {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins, int y);
    void release();
    void paint(cairo_t* back, const TextPainter& text) const;

    WidgetBox box;
    char text[64] = {};

private:
    double scale = 1.0;
    OwnedSurface background;
};

class CairoScope {
public:
    bool build(cairo_surface_t* panel, SkinSet& skins);
    void release();
    void commit();
    void paint(cairo_t* back) const;

    WidgetBox box;
    ScopePixels pixels;

private:
    double scale = 1.0;
    OwnedSurface display;  // RGB24: 0x00RRGGBB pixels, as the plot writes them
};

}  // namespace quenchbox::editor

#endif
