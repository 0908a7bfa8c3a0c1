#ifndef QUENCHBOX_APP_APPSTYLE_H
#define QUENCHBOX_APP_APPSTYLE_H

#include "app/AppView.h"
#include "editor/EditorLayout.h"

#include <cstdint>

namespace quenchbox::app {

// How every window layer draws the bar and the pages, in panel units and
// 0x00RRGGBB colours: the panel's dark fills, light grey text, its red for
// what needs the eye. The panel's own colours come from the editor's table.
constexpr std::uint32_t kBarFill = 0x141517;
constexpr std::uint32_t kButtonFill = 0x2A2C31;
constexpr std::uint32_t kButtonBorder = 0x4A4D55;
constexpr std::uint32_t kDimmedText = 0x6A6D75;
constexpr std::uint32_t kClipLightOff = 0x3A1A22;
constexpr int kTextPixels = 12;  // character height

// A meter's colour bands over its length (0 the floor, 1 full scale): green
// to -18 dBFS, amber to -6, then red.
struct MeterBand {
    double from;
    double to;
    std::uint32_t colour;
};
inline constexpr MeterBand kMeterBands[] = {
    {0.0, 42.0 / 60.0, 0x3FAE5A},
    {42.0 / 60.0, 54.0 / 60.0, 0xD8A23A},
    {54.0 / 60.0, 1.0, editor::kPreCurveColour},
};

// The bar takes the meter's box but for a square clip light at its right
// end, 4 units apart.
constexpr double meterLength(const ItemBox& box) { return box.width - box.height - 4.0; }

}  // namespace quenchbox::app

#endif
