#include "editor/ImageResampler.h"

#include <algorithm>
#include <vector>

namespace quenchbox::editor {

namespace {

constexpr int kBytesPerPixel = 4;
// A target byte's sum is at most 255 times the source's area (in units of
// 1/(target width * target height) of a source pixel): with at most 2^24
// source pixels (4096 x 4096) it fits 32 bits, rounding included.
constexpr std::uint64_t kLargestSourceArea = std::uint64_t{1} << 24;

// The source pixels one target pixel covers along one axis, with their
// overlaps. Lengths are measured in units of 1/(target size) of a source
// pixel: source pixel j spans [j * targetSize, (j + 1) * targetSize) and
// target pixel i spans [i * sourceSize, (i + 1) * sourceSize), so every
// overlap is a whole number and a target pixel's overlaps add up to
// sourceSize.
struct Footprint {
    int first;
    int count;
    std::size_t weightIndex;
};

struct AxisFootprints {
    std::vector<Footprint> footprints;
    std::vector<std::uint32_t> weights;
};

AxisFootprints footprintsAlong(int sourceSize, int targetSize)
{
    AxisFootprints axis;
    axis.footprints.reserve(static_cast<std::size_t>(targetSize));
    const std::int64_t sourcePixel = targetSize;
    for (std::int64_t i = 0; i < targetSize; ++i) {
        const std::int64_t start = i * sourceSize;
        const std::int64_t end = start + sourceSize;
        const std::int64_t first = start / sourcePixel;
        const std::int64_t last = (end - 1) / sourcePixel;
        axis.footprints.push_back({static_cast<int>(first), static_cast<int>(last - first + 1), axis.weights.size()});
        for (std::int64_t j = first; j <= last; ++j) {
            const std::int64_t overlap = std::min(end, (j + 1) * sourcePixel) - std::max(start, j * sourcePixel);
            axis.weights.push_back(static_cast<std::uint32_t>(overlap));
        }
    }
    return axis;
}

// One source row reduced along x: per target pixel and byte, the overlaps
// times the bytes, added up.
void sumAlongRow(const std::uint8_t* row, const AxisFootprints& columns, std::vector<std::uint32_t>& sums)
{
    std::uint32_t* out = sums.data();
    for (const Footprint& footprint : columns.footprints) {
        std::uint32_t byteSums[kBytesPerPixel] = {};
        const std::uint8_t* pixel = row + static_cast<std::size_t>(footprint.first) * kBytesPerPixel;
        const std::uint32_t* weight = columns.weights.data() + footprint.weightIndex;
        for (int j = 0; j < footprint.count; ++j, pixel += kBytesPerPixel)
            for (int b = 0; b < kBytesPerPixel; ++b)
                byteSums[b] += weight[j] * pixel[b];
        for (int b = 0; b < kBytesPerPixel; ++b)
            *out++ = byteSums[b];
    }
}

bool validRows(int width, int height, int stride)
{
    return width > 0 && height > 0 && stride / kBytesPerPixel >= width;
}

std::uint64_t pixelCount(int width, int height)
{
    return std::uint64_t{static_cast<unsigned>(width)} * static_cast<unsigned>(height);
}

std::size_t rowOffset(int row, int stride) { return static_cast<std::size_t>(row) * static_cast<std::size_t>(stride); }

}  // namespace

bool resampleByArea(const PixelRows& source, const WritablePixelRows& target)
{
    if (!validRows(source.width, source.height, source.stride) ||
        !validRows(target.width, target.height, target.stride) ||
        pixelCount(source.width, source.height) > kLargestSourceArea)
        return false;
    const AxisFootprints columns = footprintsAlong(source.width, target.width);
    const AxisFootprints rows = footprintsAlong(source.height, target.height);
    // Every target pixel's weights add up to the source's area in units.
    const auto total = static_cast<std::uint32_t>(pixelCount(source.width, source.height));

    const std::size_t sumCount = static_cast<std::size_t>(target.width) * kBytesPerPixel;
    std::vector<std::uint32_t> rowSums(sumCount);
    std::vector<std::uint32_t> areaSums(sumCount);
    // Target rows go down the source in order and neighbours share the
    // source row on their boundary: the last row summed is kept.
    int summedRow = -1;
    for (int y = 0; y < target.height; ++y) {
        const Footprint& footprint = rows.footprints[static_cast<std::size_t>(y)];
        std::fill(areaSums.begin(), areaSums.end(), 0);
        for (int k = 0; k < footprint.count; ++k) {
            const int sourceRow = footprint.first + k;
            if (sourceRow != summedRow) {
                sumAlongRow(source.pixels + rowOffset(sourceRow, source.stride), columns, rowSums);
                summedRow = sourceRow;
            }
            const std::uint32_t weight = rows.weights[footprint.weightIndex + static_cast<std::size_t>(k)];
            for (std::size_t i = 0; i < sumCount; ++i)
                areaSums[i] += weight * rowSums[i];
        }
        std::uint8_t* out = target.pixels + rowOffset(y, target.stride);
        for (std::size_t i = 0; i < sumCount; ++i)
            out[i] = static_cast<std::uint8_t>((areaSums[i] + total / 2) / total);
    }
    return true;
}

}  // namespace quenchbox::editor
