#include "editor/ScaledEditor.h"

#include "editor/EditorSettings.h"

#include <cmath>
#include <cstdint>

namespace quenchbox::editor {

bool ScaledEditor::setHostScale(double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return false;
    sources.setHostScale(factor);
    applyScale(sources.resolved(), false);
    return true;
}

void ScaledEditor::resizeToFit(int& width, int& height)
{
    sources.setHostScale(scaleFittingSize(width, height));
    applyScale(sources.resolved(), false);
    width = rect.right;
    height = rect.bottom;
}

void ScaledEditor::resolveScale(double systemScale)
{
    sources.setUserZoom(readSettingsFile(userSettingsPath()).zoom);
    if (systemScale > 0.0)
        sources.setSystemScale(systemScale);
    currentScale = sources.resolved();
    sizeRectForScale();
}

int ScaledEditor::zoomChoice() const
{
    for (int choice = 1; choice < kZoomChoiceCount; ++choice)
        if (zoomChoiceScale(choice) == sources.userZoom())
            return choice;
    return 0;
}

void ScaledEditor::chooseZoom(int choice)
{
    const double zoom = zoomChoiceScale(choice);
    sources.userChose(zoom);
    writeSettingsFile(userSettingsPath(), EditorSettings{zoom});
    applyScale(sources.resolved(), true);
}

void ScaledEditor::systemScaleChanged(double systemScale)
{
    sources.setSystemScale(systemScale);
    applyScale(sources.resolved(), true);
}

// Closed, the new size waits for the next open; open, the window takes it
// at once and, when the change did not come from the host, the host is
// asked to make room.
void ScaledEditor::applyScale(double newScale, bool tellHost)
{
    if (newScale == currentScale)
        return;
    currentScale = newScale;
    sizeRectForScale();
    if (!windowOpen())
        return;
    rebuildAtScale();
    if (!tellHost)
        return;
    if (sizeRequests != nullptr)
        sizeRequests->requestEditorSize(rect.right, rect.bottom);
    else
        plugin.requestResize(rect.right, rect.bottom);
}

void ScaledEditor::sizeRectForScale()
{
    rect.top = 0;
    rect.left = 0;
    rect.right = static_cast<std::int16_t>(scaledLength(kPanelWidth, currentScale));
    rect.bottom = static_cast<std::int16_t>(scaledLength(kPanelHeight, currentScale));
}

}  // namespace quenchbox::editor
