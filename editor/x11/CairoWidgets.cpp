#include "editor/x11/CairoWidgets.h"

#include "editor/EditorLayout.h"
#include "editor/x11/SkinImages.h"
#include "editor/x11/TextPainter.h"

#include <cstdint>

namespace quenchbox::editor {

namespace {

int surfaceWidth(cairo_surface_t* surface) { return cairo_image_surface_get_width(surface); }
int surfaceHeight(cairo_surface_t* surface) { return cairo_image_surface_get_height(surface); }
std::uint32_t* pixelData(cairo_surface_t* surface)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
}

void copyInto(cairo_t* back, cairo_surface_t* image, int sourceY, const WidgetBox& box)
{
    cairo_save(back);
    cairo_rectangle(back, box.x, box.y, box.width, box.height);
    cairo_clip(back);
    cairo_set_source_surface(back, image, box.x, box.y - sourceY);
    cairo_set_operator(back, CAIRO_OPERATOR_SOURCE);
    cairo_paint(back);
    cairo_restore(back);
}

}  // namespace

void OwnedSurface::reset(cairo_surface_t* surface)
{
    if (owned != nullptr)
        cairo_surface_destroy(owned);
    owned = surface;
}

cairo_surface_t* buildFrameStrip(cairo_surface_t* panel, const WidgetBox& box, cairo_surface_t* skin, int frames)
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

bool CairoDial::build(cairo_surface_t* panel, int x, int litSkin)
{
    cairo_surface_t* frame = loadSkin(SKIN_DIAL_FRAME);
    cairo_surface_t* ring = loadSkin(litSkin);
    if (frame != nullptr && ring != nullptr) {
        box = {x, kDialTop, surfaceWidth(frame), surfaceHeight(frame), box.visible};
        // Unlit: the panel itself (it carries the dark LEDs). Lit: the panel
        // with every LED of the ring lit.
        unlit.reset(buildFrameStrip(panel, box, frame, 1));
        lit.reset(buildFrameStrip(panel, box, ring, 1));
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
        // Pixel by pixel, as the ring's angle test decides.
        cairo_surface_flush(back);
        auto* target = cairo_image_surface_get_data(back);
        const int targetStride = cairo_image_surface_get_stride(back);
        const auto* dark = cairo_image_surface_get_data(unlit.get());
        const auto* bright = cairo_image_surface_get_data(lit.get());
        const int stride = cairo_image_surface_get_stride(unlit.get());
        for (int y = 0; y < box.height; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(target + (box.y + y) * targetStride) + box.x;
            const auto* darkRow = reinterpret_cast<const std::uint32_t*>(dark + y * stride);
            const auto* brightRow = reinterpret_cast<const std::uint32_t*>(bright + y * stride);
            for (int x = 0; x < box.width; ++x)
                row[x] = model.lights(x, y) ? brightRow[x] : darkRow[x];
        }
        cairo_surface_mark_dirty_rectangle(back, box.x, box.y, box.width, box.height);
    }
    model.catchUpPainted();
}

bool CairoButton::build(cairo_surface_t* panel, int x, int y, int skin)
{
    cairo_surface_t* image = loadSkin(skin);
    if (image == nullptr)
        return false;
    box = {x, y, surfaceWidth(image), surfaceHeight(image) / kButtonFrames, box.visible};
    strip.reset(buildFrameStrip(panel, box, image, kButtonFrames));
    cairo_surface_destroy(image);
    return true;
}

void CairoButton::release() { strip.reset(); }

void CairoButton::paint(cairo_t* back) const
{
    if (strip)
        copyInto(back, strip.get(), static_cast<int>(state) * box.height, box);
}

bool CairoSlider::build(cairo_surface_t* panel, int y)
{
    cairo_surface_t* trackSkin = loadSkin(SKIN_SLIDER_TRACK);
    thumb.reset(loadSkin(SKIN_SLIDER_THUMB));
    if (trackSkin == nullptr || !thumb) {
        if (trackSkin != nullptr)
            cairo_surface_destroy(trackSkin);
        thumb.reset();
        return false;
    }
    box = {kSliderLeft, y, surfaceWidth(trackSkin), surfaceHeight(trackSkin), box.visible};
    model.setThumbWidth(surfaceWidth(thumb.get()));
    // The track skin is transparent, so the track image is the panel's
    // printed groove (with whatever the skin adds).
    track.reset(buildFrameStrip(panel, box, trackSkin, 1));
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
        copyInto(back, track.get(), 0, box);
        cairo_save(back);
        cairo_rectangle(back, box.x, box.y, box.width, box.height);
        cairo_clip(back);
        for (int channel = 0; channel < 2; ++channel) {
            const int x = model.thumbX(channel);
            if (x < 0)
                continue;
            cairo_set_source_surface(back, thumb.get(), box.x + x, box.y);
            cairo_paint(back);
        }
        cairo_restore(back);
    }
    model.catchUpPainted();
}

bool CairoIcon::build(cairo_surface_t* panel, int x, int y, int skin)
{
    icon.reset(loadSkin(skin));
    if (!icon)
        return false;
    box = {x, y, surfaceWidth(icon.get()), surfaceHeight(icon.get()), box.visible};
    background.reset(buildFrameStrip(panel, box, nullptr, 1));
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
    copyInto(back, background.get(), 0, box);
    cairo_save(back);
    cairo_rectangle(back, box.x, box.y, box.width, box.height);
    cairo_clip(back);
    cairo_set_source_surface(back, icon.get(), box.x, box.y);
    cairo_paint_with_alpha(back, opacity / 255.0);
    cairo_restore(back);
}

bool CairoLabel::build(cairo_surface_t* panel, int y)
{
    box = {kLabelLeft, y, kLabelWidth, kLabelHeight, box.visible};
    background.reset(buildFrameStrip(panel, box, nullptr, 1));
    return true;
}

void CairoLabel::release() { background.reset(); }

void CairoLabel::paint(cairo_t* back, const TextPainter& painter) const
{
    if (!background)
        return;
    copyInto(back, background.get(), 0, box);
    painter.drawCentredLine(back, text, box, kLabelTextColour, kSmallTextPixels);
}

bool CairoScope::build(cairo_surface_t* panel)
{
    cairo_surface_t* skin = loadSkin(SKIN_SCOPE_BACKGROUND);
    if (skin == nullptr)
        return false;
    box = {kScopeLeft, kScopeTop, surfaceWidth(skin), surfaceHeight(skin), box.visible};
    display.reset(buildFrameStrip(panel, box, skin, 1));
    cairo_surface_destroy(skin);
    // An RGB24 row is exactly box.width pixels of 0x00RRGGBB (the unused
    // top byte is cleared by the plot), so the buffers copy straight in.
    cairo_surface_flush(display.get());
    pixels.reset(pixelData(display.get()), box.width, box.height);
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
        copyInto(back, display.get(), 0, box);
}

}  // namespace quenchbox::editor
