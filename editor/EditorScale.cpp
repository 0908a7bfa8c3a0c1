#include "editor/EditorScale.h"

#include <cmath>

namespace quenchbox::editor {

double nearestScaleStep(double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return 1.0;
    double nearest = kScaleSteps[0];
    for (double step : kScaleSteps)
        if (std::fabs(step - factor) < std::fabs(nearest - factor))
            nearest = step;
    return nearest;
}

double scaleForDpi(double dpi) { return nearestScaleStep(dpi / 96.0); }

int scaledLength(int panelUnits, double scale) { return static_cast<int>(std::lround(panelUnits * scale)); }

int panelCoordinate(int pixel, double scale)
{
    return static_cast<int>(std::floor((static_cast<double>(pixel) + 0.5) / scale));
}

PixelBox scaledBox(int x, int y, int width, int height, double scale)
{
    const int left = scaledLength(x, scale);
    const int top = scaledLength(y, scale);
    return {left, top, scaledLength(x + width, scale) - left, scaledLength(y + height, scale) - top};
}

double scaleFittingSize(int width, int height)
{
    double fitting = kScaleSteps[0];
    for (double step : kScaleSteps)
        if (scaledLength(kPanelWidth, step) <= width && scaledLength(kPanelHeight, step) <= height)
            fitting = step;
    return fitting;
}

double ScaleSources::resolved() const
{
    if (host > 0.0)
        return host;
    return user > 0.0 ? user : system;
}

double zoomChoiceScale(int choice) { return choice >= 1 && choice < kZoomChoiceCount ? kScaleSteps[choice - 1] : 0.0; }

const char* zoomChoiceLabel(int choice)
{
    static const char* const labels[kZoomChoiceCount] = {"Auto", "100 %", "125 %", "150 %", "175 %", "200 %"};
    return choice >= 0 && choice < kZoomChoiceCount ? labels[choice] : "";
}

}  // namespace quenchbox::editor
