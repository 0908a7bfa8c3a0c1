#include "editor/x11/CairoWidgets.h"

#include "editor/EditorLayout.h"
#include "editor/x11/SkinImages.h"
#include "editor/x11/TextPainter.h"

#include <cstdint>

namespace quenchbox::editor {

void setSourceColour(cairo_t* cr, std::uint32_t colour)
{
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         (colour & 0xFF) / 255.0);
}

void paintFramedBox(cairo_t* cr, const WidgetBox& box, std::uint32_t fill, std::uint32_t border)
{
    cairo_rectangle(cr, box.x + 0.5, box.y + 0.5, box.width - 1, box.height - 1);
    setSourceColour(cr, fill);
    cairo_fill_preserve(cr);
    setSourceColour(cr, border);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

namespace {

std::uint32_t* pixelData(cairo_surface_t* surface)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
}

void copyInto(cairo_t* back, cairo_surface_t* image, int sourceY, const PixelBox& box)
{
    cairo_save(back);
    cairo_rectangle(back, box.x, box.y, box.width, box.height);
    cairo_clip(back);
    cairo_set_source_surface(back, image, box.x, box.y - sourceY);
    cairo_set_operator(back, CAIRO_OPERATOR_SOURCE);
    cairo_paint(back);
    cairo_restore(back);
}

// The control's box on the panel, from its skin's size at 1x.
bool skinBox(int skin, int x, int y, int frames, WidgetBox& box)
{
    int width = 0;
    int height = 0;
    if (!skinSize(skin, width, height))
        return false;
    box = {x, y, width, height / frames, box.visible};
    return true;
}

// The skin at the size of `box` in window pixels, `frames` tall.
cairo_surface_t* skinFor(int skin, SkinSet& skins, const WidgetBox& box, int frames)
{
    const PixelBox pixels = box.at(skins.scale());
    return skins.load(skin, pixels.width, pixels.height * frames);
}

}  // namespace

void OwnedSurface::reset(cairo_surface_t* surface)
{
    if (owned != nullptr)
        cairo_surface_destroy(owned);
    owned = surface;
}

cairo_surface_t* buildFrameStrip(cairo_surface_t* panel, const PixelBox& box, cairo_surface_t* skin, int frames)
{
    cairo_surface_t* strip = cairo_image_surface_create(CAIRO_FORMAT_RGB24, box.width, box.height * frames);
    cairo_t* cr = cairo_create(strip);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    for (int frame = 0; frame < frames; ++frame) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, frame * box.height, box.width, box.height);
        cairo_clip(cr);
        cairo_set_source_surface(cr, panel, -box.x, frame * box.height - box.y);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    if (skin != nullptr) {
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_set_source_surface(cr, skin, 0, 0);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(strip);
    return strip;
}

bool CairoDial::build(cairo_surface_t* panel, SkinSet& skins, int x, int litSkin)
{
    scale = skins.scale();
    if (!skinBox(SKIN_DIAL_FRAME, x, kDialTop, 1, box))
        return false;
    cairo_surface_t* frame = skinFor(SKIN_DIAL_FRAME, skins, box, 1);
    cairo_surface_t* ring = skinFor(litSkin, skins, box, 1);
    if (frame != nullptr && ring != nullptr) {
        // Unlit: the panel itself (it carries the dark LEDs). Lit: the panel
        // with every LED of the ring lit.
        unlit.reset(buildFrameStrip(panel, box.at(scale), frame, 1));
        lit.reset(buildFrameStrip(panel, box.at(scale), ring, 1));
        model.buildBoundaries();
    }
    if (frame != nullptr)
        cairo_surface_destroy(frame);
    if (ring != nullptr)
        cairo_surface_destroy(ring);
    return static_cast<bool>(unlit);
}

void CairoDial::release()
{
    unlit.reset();
    lit.reset();
    model.clearBoundaries();
}

void CairoDial::paint(cairo_surface_t* back)
{
    if (unlit && box.width == DialModel::kSize && box.height == DialModel::kSize) {
        // Pixel by pixel, as the ring's angle test decides for each pixel's
        // centre in the dial's own units.
        const PixelBox pixels = box.at(scale);
        const float units = static_cast<float>(scale);
        cairo_surface_flush(back);
        auto* target = cairo_image_surface_get_data(back);
        const int targetStride = cairo_image_surface_get_stride(back);
        const auto* dark = cairo_image_surface_get_data(unlit.get());
        const auto* bright = cairo_image_surface_get_data(lit.get());
        const int stride = cairo_image_surface_get_stride(unlit.get());
        for (int y = 0; y < pixels.height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(target + (pixels.y + y) * targetStride) + pixels.x;
            const auto* darkRow = reinterpret_cast<const std::uint32_t*>(dark + y * stride);
            const auto* brightRow = reinterpret_cast<const std::uint32_t*>(bright + y * stride);
            const float unitY = (static_cast<float>(y) + 0.5f) / units - 0.5f;
            for (int x = 0; x < pixels.width; ++x) {
                const float unitX = (static_cast<float>(x) + 0.5f) / units - 0.5f;
                row[x] = model.lightsAt(unitX, unitY) ? brightRow[x] : darkRow[x];
            }
        }
        cairo_surface_mark_dirty_rectangle(back, pixels.x, pixels.y, pixels.width, pixels.height);
    }
    model.catchUpPainted();
}

bool CairoButton::build(cairo_surface_t* panel, SkinSet& skins, int x, int y, int skin)
{
    scale = skins.scale();
    if (!skinBox(skin, x, y, kButtonFrames, box))
        return false;
    cairo_surface_t* image = skinFor(skin, skins, box, kButtonFrames);
    if (image == nullptr)
        return false;
    strip.reset(buildFrameStrip(panel, box.at(scale), image, kButtonFrames));
    cairo_surface_destroy(image);
    return true;
}

void CairoButton::release() { strip.reset(); }

void CairoButton::paint(cairo_t* back) const
{
    if (!strip)
        return;
    const PixelBox pixels = box.at(scale);
    copyInto(back, strip.get(), static_cast<int>(state) * pixels.height, pixels);
}

bool CairoSlider::build(cairo_surface_t* panel, SkinSet& skins, int y)
{
    scale = skins.scale();
    WidgetBox thumbBox;
    if (!skinBox(SKIN_SLIDER_TRACK, kSliderLeft, y, 1, box) || !skinBox(SKIN_SLIDER_THUMB, 0, 0, 1, thumbBox))
        return false;
    cairo_surface_t* trackSkin = skinFor(SKIN_SLIDER_TRACK, skins, box, 1);
    thumb.reset(skinFor(SKIN_SLIDER_THUMB, skins, thumbBox, 1));
    if (trackSkin == nullptr || !thumb) {
        if (trackSkin != nullptr)
            cairo_surface_destroy(trackSkin);
        thumb.reset();
        return false;
    }
    model.setThumbWidth(thumbBox.width);
    // The track skin is transparent, so the track image is the panel's
    // printed groove (with whatever the skin adds).
    track.reset(buildFrameStrip(panel, box.at(scale), trackSkin, 1));
    cairo_surface_destroy(trackSkin);
    return true;
}

void CairoSlider::release()
{
    track.reset();
    thumb.reset();
}

void CairoSlider::paint(cairo_t* back)
{
    if (track && thumb) {
        const PixelBox pixels = box.at(scale);
        copyInto(back, track.get(), 0, pixels);
        cairo_save(back);
        cairo_rectangle(back, pixels.x, pixels.y, pixels.width, pixels.height);
        cairo_clip(back);
        for (int channel = 0; channel < 2; ++channel) {
            const int x = model.thumbX(channel);
            if (x < 0)
                continue;
            cairo_set_source_surface(back, thumb.get(), scaledLength(box.x + x, scale), pixels.y);
            cairo_paint(back);
        }
        cairo_restore(back);
    }
    model.catchUpPainted();
}

bool CairoIcon::build(cairo_surface_t* panel, SkinSet& skins, int x, int y, int skin)
{
    scale = skins.scale();
    if (!skinBox(skin, x, y, 1, box))
        return false;
    icon.reset(skinFor(skin, skins, box, 1));
    if (!icon)
        return false;
    background.reset(buildFrameStrip(panel, box.at(scale), nullptr, 1));
    return true;
}

void CairoIcon::release()
{
    icon.reset();
    background.reset();
}

void CairoIcon::paint(cairo_t* back) const
{
    if (!background)
        return;
    const PixelBox pixels = box.at(scale);
    copyInto(back, background.get(), 0, pixels);
    cairo_save(back);
    cairo_rectangle(back, pixels.x, pixels.y, pixels.width, pixels.height);
    cairo_clip(back);
    cairo_set_source_surface(back, icon.get(), pixels.x, pixels.y);
    cairo_paint_with_alpha(back, opacity / 255.0);
    cairo_restore(back);
}

bool CairoLabel::build(cairo_surface_t* panel, SkinSet& skins, int y)
{
    scale = skins.scale();
    box = {kLabelLeft, y, kLabelWidth, kLabelHeight, box.visible};
    background.reset(buildFrameStrip(panel, box.at(scale), nullptr, 1));
    return true;
}

void CairoLabel::release() { background.reset(); }

void CairoLabel::paint(cairo_t* back, const TextPainter& painter) const
{
    if (!background)
        return;
    copyInto(back, background.get(), 0, box.at(scale));
    // Laid out in panel units, drawn by cairo at the window's pixels: the
    // glyphs are rendered at the scaled size, not enlarged.
    cairo_save(back);
    cairo_scale(back, scale, scale);
    painter.drawCentredLine(back, text, box, kLabelTextColour, kSmallTextPixels);
    cairo_restore(back);
}

bool CairoScope::build(cairo_surface_t* panel, SkinSet& skins)
{
    scale = skins.scale();
    if (!skinBox(SKIN_SCOPE_BACKGROUND, kScopeLeft, kScopeTop, 1, box))
        return false;
    cairo_surface_t* skin = skinFor(SKIN_SCOPE_BACKGROUND, skins, box, 1);
    if (skin == nullptr)
        return false;
    const PixelBox pixelBox = box.at(scale);
    display.reset(buildFrameStrip(panel, pixelBox, skin, 1));
    cairo_surface_destroy(skin);
    // An RGB24 row is exactly the box's width of 0x00RRGGBB pixels (the
    // unused top byte is cleared by the plot), so the buffers copy straight in.
    cairo_surface_flush(display.get());
    pixels.reset(pixelData(display.get()), pixelBox.width, pixelBox.height, static_cast<float>(scale));
    commit();
    return true;
}

void CairoScope::release()
{
    display.reset();
    pixels.clear();
}

void CairoScope::commit()
{
    if (!display || pixels.empty())
        return;
    cairo_surface_flush(display.get());
    pixels.commitInto(pixelData(display.get()));
    cairo_surface_mark_dirty(display.get());
}

void CairoScope::paint(cairo_t* back) const
{
    if (display)
        copyInto(back, display.get(), 0, box.at(scale));
}

}  // namespace quenchbox::editor
