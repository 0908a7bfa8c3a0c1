#include "app/PanelHost.h"

#include "app/AppController.h"
#include "shell/AEffEditor.h"

#include <cmath>

namespace quenchbox::app {

void PanelHost::openEditor()
{
    if (auto* scalable = dynamic_cast<editor::ScalableEditor*>(&editor))
        scalable->setSizeRequests(this);
    editorOpen = editor.open(holderWindow());
    ERect* rect = nullptr;
    if (editorOpen && editor.getRect(&rect) && rect != nullptr)
        resizeTo(rect->right - rect->left, rect->bottom - rect->top);
}

void PanelHost::closeEditor()
{
    if (editorOpen)
        editor.close();
    editorOpen = false;
    if (auto* scalable = dynamic_cast<editor::ScalableEditor*>(&editor))
        scalable->setSizeRequests(nullptr);
}

// A page covers the panel: the editor closes while it is shown, and opens
// again, as the user left it, when it goes.
void PanelHost::followPage()
{
    if (controller.pageShown() == !editorOpen)
        return;
    if (controller.pageShown()) {
        closeEditor();
        showHolder(false);
    } else {
        showHolder(true);
        openEditor();
    }
    painted.clear();
}

void PanelHost::pressAt(int x, int y)
{
    const int unitX = static_cast<int>(x / scale);
    const int unitY = static_cast<int>(y / scale);
    for (const ViewItem& item : controller.view())
        if (item.command != Command::none && item.enabled && item.box.contains(unitX, unitY)) {
            controller.press(item.command, item.argument);
            return;
        }
}

int PanelHost::barPixels() const { return static_cast<int>(std::lround(kBarHeight * scale)); }

bool PanelHost::requestEditorSize(int width, int height)
{
    resizeTo(width, height);
    return true;
}

void PanelHost::resizeTo(int panelWidth, int panelHeight)
{
    scale = static_cast<double>(panelWidth) / kWindowWidth;
    fitPanel(panelWidth, panelHeight);
    painted.clear();
}

}  // namespace quenchbox::app
