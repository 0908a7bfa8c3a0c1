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

void ScopePixels::reset(const std::uint32_t* clean, int pixelsWide, int pixelsHigh, float displayScale)
{
    width = pixelsWide;
    height = pixelsHigh;
    scale = displayScale;
    plotWidth = static_cast<int>(std::lround(kPlotWidth * scale));
    plotHeight = static_cast<int>(std::lround(kPlotHeight * scale));
    background.assign(clean, clean + width * height);
    work = background;
    // Where x and y from -1 to 1 land when the plot area is centred.
    minimumX = (width - plotWidth) / 2;
    maximumX = (width + plotWidth) / 2 - 1;
    minimumY = (height - plotHeight) / 2;
    maximumY = (height + plotHeight) / 2 - 1;
    for (LastPoint& point : lastPoints)
        point = LastPoint{};
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
    const int px = static_cast<int>(std::nearbyint((x * static_cast<float>(plotWidth) + width) * 0.5f));
    const float py = (y * static_cast<float>(plotHeight) + height) * 0.5f;
    LastPoint& last = lastPointOf(colour);
    // A stroke reaches two pixels (at 1x) up and down; points whose stroke
    // would leave the plot area are not drawn at all, and break the curve.
    if (px < minimumX || px > maximumX || py < minimumY + 1.001f * scale || py > maximumY - 1.999f * scale) {
        last.column = -1;
        return;
    }
    if (scale > 1.0f && last.column >= 0 && last.column < px - 1)
        for (int column = last.column + 1; column < px; ++column) {
            const float along = static_cast<float>(column - last.column) / static_cast<float>(px - last.column);
            stroke(column, last.row + (py - last.row) * along, colour);
        }
    stroke(px, py, colour);
    last.column = px;
    last.row = py;
}

void ScopePixels::stroke(int px, float py, std::uint32_t colour)
{
    for (int row = static_cast<int>(py - 1.001f * scale); row <= static_cast<int>(py + 1.999f * scale); ++row) {
        int weight = static_cast<int>(std::nearbyint((1.0f - std::fabs(py - row) * 0.5f / scale) * 256.0f));
        weight = weight < 0 ? 0 : weight;
        std::uint32_t& pixel = work[row * width + px];
        pixel = blendChannel(pixel, colour, weight, 16) | blendChannel(pixel, colour, weight, 8) |
                blendChannel(pixel, colour, weight, 0);
    }
}

ScopePixels::LastPoint& ScopePixels::lastPointOf(std::uint32_t colour)
{
    for (LastPoint& point : lastPoints)
        if (point.colour == colour)
            return point;
    // A colour not seen since the last commit takes the slot not in use.
    LastPoint& free = lastPoints[0].column < 0 ? lastPoints[0] : lastPoints[1];
    free = LastPoint{colour, -1, 0.0f};
    return free;
}

void ScopePixels::commitInto(std::uint32_t* shown)
{
    if (work.empty())
        return;
    std::memcpy(shown, work.data(), work.size() * sizeof(std::uint32_t));
    work = background;
    for (LastPoint& point : lastPoints)
        point = LastPoint{};
}

}  // namespace quenchbox::editor
