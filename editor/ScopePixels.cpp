#include "editor/ScopePixels.h"

#include <cmath>
#include <cstring>

namespace quenchbox::editor {

namespace {

// One colour channel (at bit `shift`) of p moved toward c by weight / 256.
std::uint32_t blendChannel(std::uint32_t p, std::uint32_t c, int weight, int shift)
{
    const int from = static_cast<int>((p >> shift) & 0xFF);
    const int to = static_cast<int>((c >> shift) & 0xFF);
    const int moved = from + (((to - from) * weight) >> 8);  // arithmetic shift: floor
    return static_cast<std::uint32_t>(moved) << shift;
}

}  // namespace

void ScopePixels::reset(const std::uint32_t* clean, int pixelsWide, int pixelsHigh)
{
    width = pixelsWide;
    height = pixelsHigh;
    background.assign(clean, clean + width * height);
    work = background;
    // Where x and y from -1 to 1 land when the plot area is centred.
    minimumX = (width - kPlotWidth) / 2;
    maximumX = (width + kPlotWidth) / 2 - 1;
    minimumY = (height - kPlotHeight) / 2;
    maximumY = (height + kPlotHeight) / 2 - 1;
}

void ScopePixels::clear()
{
    work.clear();
    background.clear();
}

void ScopePixels::plot(float x, float y, std::uint32_t colour)
{
    if (work.empty())
        return;
    const int px = static_cast<int>(std::nearbyint((x * kPlotWidth + width) * 0.5f));
    const float py = (y * kPlotHeight + height) * 0.5f;
    // A stroke reaches two pixels up and down; points whose stroke would
    // leave the plot area are not drawn at all.
    if (px < minimumX || px > maximumX || py < minimumY + 1.001f || py > maximumY - 1.999f)
        return;
    for (int row = static_cast<int>(py - 1.001f); row <= static_cast<int>(py + 1.999f); ++row) {
        int weight = static_cast<int>(std::nearbyint((1.0f - std::fabs(py - row) * 0.5f) * 256.0f));
        weight = weight < 0 ? 0 : weight;
        std::uint32_t& pixel = work[row * width + px];
        pixel = blendChannel(pixel, colour, weight, 16) | blendChannel(pixel, colour, weight, 8) |
                blendChannel(pixel, colour, weight, 0);
    }
}

void ScopePixels::commitInto(std::uint32_t* shown)
{
    if (work.empty())
        return;
    std::memcpy(shown, work.data(), work.size() * sizeof(std::uint32_t));
    work = background;
}

}  // namespace quenchbox::editor
