#ifndef QUENCHBOX_EDITOR_SCOPEPIXELS_H
#define QUENCHBOX_EDITOR_SCOPEPIXELS_H

#include <cstdint>
#include <vector>

namespace quenchbox::editor {

// The pixels of the response display, apart from any window system: points
// plotted with x and y from -1 to 1 (y = -1 at the top) go into a work
// buffer over the display background; a commit hands the work buffer to the
// layer to show and starts again from the clean background. A point is a
// short vertical anti-aliased stroke, full colour at its row and fading to
// nothing two pixels above and below. On a display drawn larger (scale
// above 1) the plot area, the strokes and their fade grow with the scale,
// and the columns between two points of one curve are filled in from the
// straight line between them, so a curve stays unbroken and sharp. Pixels are 0x00RRGGBB, as both a
// 32-bit GDI bitmap and a cairo RGB24 surface hold them.
class ScopePixels {
public:
    static constexpr int kPlotWidth = 180;
    static constexpr int kPlotHeight = 54;

    // The clean display, `width` x `height` pixels row by row, at `scale`.
    void reset(const std::uint32_t* clean, int width, int height, float scale = 1.0f);
    void clear();
    bool empty() const { return work.empty(); }

    // colour is 0x00RRGGBB.
    void plot(float x, float y, std::uint32_t colour);
    // Copies the plotted points into `shown` (width x height pixels) and
    // starts again from the background.
    void commitInto(std::uint32_t* shown);

private:
    // The last point of each curve (one per colour), for filling in.
    struct LastPoint {
        std::uint32_t colour = 0;
        int column = -1;
        float row = 0.0f;
    };

    void stroke(int column, float row, std::uint32_t colour);
    LastPoint& lastPointOf(std::uint32_t colour);

    float scale = 1.0f;
    int plotWidth = kPlotWidth;
    int plotHeight = kPlotHeight;
    LastPoint lastPoints[2];
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> work;
    std::vector<std::uint32_t> background;
    int minimumX = 0;
    int maximumX = 0;
    int minimumY = 0;
    int maximumY = 0;
};

}  // namespace quenchbox::editor

#endif
