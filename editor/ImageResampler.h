#ifndef QUENCHBOX_EDITOR_IMAGERESAMPLER_H
#define QUENCHBOX_EDITOR_IMAGERESAMPLER_H

#include <cstdint>

namespace quenchbox::editor {

// How the editor draws a skin at a size between its two renderings: the 2x
// rendering reduced by area averaging, the same in every window layer.
//
// Each target pixel is the mean of the source under it, every source pixel
// weighted by the exact fraction of it that the target pixel covers (a box
// filter with fractional coverage, applied along rows and then columns).
// The skins are anti-aliased by coverage, so the mean of a finer rendering's
// coverage is close to what the coarser rendering would have been, with no
// ringing (a windowed sinc's overshoot) and no blur past the target pixel.
// A dial's film strip, scaled so that each frame keeps a whole number of
// target rows, never mixes neighbouring frames: no weight reaches past the
// pixels a target pixel covers.
//
// Pixels are four bytes of premultiplied colour and alpha in any order (a
// cairo ARGB32 or RGB24 surface, a Win32 32-bit DIB): every byte is averaged
// with the same weights, so a colour never exceeds its alpha. The weights are
// whole numbers (the footprints measured in 1/(source size * target size)
// of the image) and each result is rounded once, half up: the same source
// and size give the same bytes on every machine.

// Rows of 32-bit pixels, `stride` bytes from the start of one row to the
// start of the next.
struct PixelRows {
    const std::uint8_t* pixels;
    int width;
    int height;
    int stride;
};

struct WritablePixelRows {
    std::uint8_t* pixels;
    int width;
    int height;
    int stride;
};

// Fills `target` with `source` resampled to the target's size (larger or
// smaller). False, with nothing written, when a size is not positive, a
// stride is shorter than its row, or the source is too large for the exact
// 32-bit sums (more than 2^24 pixels, 4096 x 4096).
bool resampleByArea(const PixelRows& source, const WritablePixelRows& target);

}  // namespace quenchbox::editor

#endif
