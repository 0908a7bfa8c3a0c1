#include "editor/x11/SkinImages.h"

#include "editor/ImageResampler.h"
#include "editor/x11/EmbeddedSkins.h"
#include "resources/SkinIds.h"

#include <cstdint>
#include <cstring>

namespace quenchbox::editor {

namespace {

const EmbeddedSkin* findSkin(int id)
{
    for (int i = 0; i < kEmbeddedSkinCount; ++i)
        if (kEmbeddedSkins[i].id == id)
            return &kEmbeddedSkins[i];
    return nullptr;
}

struct ReadPosition {
    const EmbeddedSkin* skin;
    std::size_t offset;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* position = static_cast<ReadPosition*>(closure);
    if (position->skin->size - position->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, position->skin->data + position->offset, length);
    position->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

std::uint32_t bigEndian32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

}  // namespace

cairo_surface_t* loadSkin(int id)
{
    const EmbeddedSkin* skin = findSkin(id);
    if (skin == nullptr)
        return nullptr;
    ReadPosition position{skin, 0};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readBytes, &position);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    // An opaque PNG (the display background) comes out as RGB24.
    return image;
}

cairo_surface_t* loadSkinScaled(int id, double scale, int width, int height)
{
    if (scale == 1.0)
        return loadSkin(id);
    cairo_surface_t* source = loadSkin(id + SKIN_2X_OFFSET);
    if (source == nullptr)
        return nullptr;
    const int sourceWidth = cairo_image_surface_get_width(source);
    const int sourceHeight = cairo_image_surface_get_height(source);
    if (sourceWidth == width && sourceHeight == height)
        return source;
    cairo_surface_t* scaled = cairo_image_surface_create(cairo_image_surface_get_format(source), width, height);
    const bool resampled =
        cairo_surface_status(scaled) == CAIRO_STATUS_SUCCESS &&
        resampleByArea({cairo_image_surface_get_data(source), sourceWidth, sourceHeight,
                        cairo_image_surface_get_stride(source)},
                       {cairo_image_surface_get_data(scaled), width, height, cairo_image_surface_get_stride(scaled)});
    cairo_surface_destroy(source);
    if (!resampled) {
        cairo_surface_destroy(scaled);
        return nullptr;
    }
    cairo_surface_mark_dirty(scaled);
    return scaled;
}

void SkinSet::useScale(double newScale)
{
    if (newScale != current)
        clear();
    current = newScale;
}

cairo_surface_t* SkinSet::load(int id, int width, int height)
{
    for (const Entry& entry : entries)
        if (entry.id == id && entry.width == width && entry.height == height)
            return cairo_surface_reference(entry.surface);
    cairo_surface_t* surface = loadSkinScaled(id, current, width, height);
    if (surface == nullptr)
        return nullptr;
    entries.push_back({id, width, height, surface});
    return cairo_surface_reference(surface);
}

void SkinSet::clear()
{
    for (const Entry& entry : entries)
        cairo_surface_destroy(entry.surface);
    entries.clear();
}

bool skinSize(int id, int& width, int& height)
{
    // The signature (8 bytes), the IHDR chunk's length and type (8), then
    // width and height as big-endian 32-bit numbers.
    const EmbeddedSkin* skin = findSkin(id);
    if (skin == nullptr || skin->size < 24 || std::memcmp(skin->data + 12, "IHDR", 4) != 0)
        return false;
    width = static_cast<int>(bigEndian32(skin->data + 16));
    height = static_cast<int>(bigEndian32(skin->data + 20));
    return true;
}

}  // namespace quenchbox::editor
