#ifndef QUENCHBOX_EDITOR_OVERLAYSTYLE_H
#define QUENCHBOX_EDITOR_OVERLAYSTYLE_H

#include "editor/EditorLayout.h"

#include <cstdint>

namespace quenchbox::editor {

// How every layer draws the overlay (PanelOverlay), in panel units and
// 0x00RRGGBB colours: the panel's dark fills, its red and its light grey.
constexpr std::uint32_t kOverlayFill = 0x141517;
constexpr std::uint32_t kOverlayBorder = kPreCurveColour;
constexpr std::uint32_t kFieldFill = 0x0B0B0C;
constexpr std::uint32_t kSelectionFill = 0x5A2035;
constexpr std::uint32_t kFocusRingColour = kLabelTextColour;
constexpr double kFocusRingWidth = 1.5;
constexpr double kOverlayRadius = 4.0;
constexpr int kFieldInset = 4;  // the text's distance from the field's left edge

}  // namespace quenchbox::editor

#endif
