#ifndef QUENCHBOX_EDITOR_EDITORSCALE_H
#define QUENCHBOX_EDITOR_EDITORSCALE_H

namespace quenchbox::editor {

// The sizes the editor is drawn at, and the arithmetic between a window's
// pixels and the panel's own units. The widget tables, hit tests, drags and
// dirty areas all stay in panel units (the 677 x 480 panel at 100 %); only
// the window layers multiply by the scale, once, when they draw, and divide
// by it when the pointer reports a position. So a drag over the same
// distance on the panel changes a value by the same amount at every size.

constexpr int kPanelWidth = 677;
constexpr int kPanelHeight = 480;

// The steps a user, a host or a screen can ask for, smallest first.
constexpr int kScaleStepCount = 5;
constexpr double kScaleSteps[kScaleStepCount] = {1.0, 1.25, 1.5, 1.75, 2.0};

// The step nearest `factor` (ties go to the smaller one); 1 for anything
// that is not a positive finite number.
double nearestScaleStep(double factor);
// A screen's dots per inch as a step: 96 is 1, 144 is 1.5, 192 is 2.
double scaleForDpi(double dpi);
// A length in panel units at `scale`, in whole pixels.
int scaledLength(int panelUnits, double scale);
// The panel coordinate of the pixel at `pixel` (its centre decides), so that
// the pixels of one panel unit all map to that unit.
int panelCoordinate(int pixel, double scale);

// A rectangle in pixels. Edges are scaled, not sizes, so neighbouring
// panel areas still meet without gaps or overlaps at every scale.
struct PixelBox {
    int x;
    int y;
    int width;
    int height;
};
PixelBox scaledBox(int x, int y, int width, int height, double scale);

// The largest step whose window fits `width` x `height` pixels, or the
// smallest step when none does: how a host's resize of the editor's frame
// is snapped, the panel keeping its aspect ratio.
double scaleFittingSize(int width, int height);

// Where the editor's scale comes from, in this order: what the host says
// (where the plug-in format passes it on), the user's zoom choice, the
// screen's density. A user's choice made in the panel wins over what the
// host said before it, until the host speaks again.
class ScaleSources {
public:
    // 0 for "the host has said nothing".
    void setHostScale(double factor) { host = factor > 0.0 ? nearestScaleStep(factor) : 0.0; }
    // 0 for "follow the host or the screen" (the user's "Auto").
    void setUserZoom(double factor) { user = factor > 0.0 ? nearestScaleStep(factor) : 0.0; }
    // The user picks a zoom in the panel now.
    void userChose(double factor)
    {
        setUserZoom(factor);
        host = 0.0;
    }
    void setSystemScale(double factor) { system = nearestScaleStep(factor); }

    double hostScale() const { return host; }
    double userZoom() const { return user; }
    double resolved() const;

private:
    double host = 0.0;
    double user = 0.0;
    double system = 1.0;
};

// The zoom menu's entries, the same in every window layer: "Auto" (0),
// then the steps.
constexpr int kZoomChoiceCount = kScaleStepCount + 1;
double zoomChoiceScale(int choice);
const char* zoomChoiceLabel(int choice);

}  // namespace quenchbox::editor

#endif
