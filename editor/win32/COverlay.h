#ifndef QUENCHBOX_EDITOR_WIN32_COVERLAY_H
#define QUENCHBOX_EDITOR_WIN32_COVERLAY_H

#include "editor/PanelInput.h"
#include "editor/win32/CSkinWindow.h"

namespace quenchbox::editor {

// One piece of the panel's overlay (EditorModel::overlay) as a window over
// the widgets: the value label, the text field, or the focus ring, whose
// window is cut to a frame so the control inside stays visible. Clicks pass
// through to what lies under it. Hidden until shown.
class COverlay : public CSkinWindow {
public:
    enum class Kind { label, field, focusRing };

    COverlay() = default;
    ~COverlay() override;

    void create(HINSTANCE module, HWND parent, Kind kind, double scale);
    // Shows the piece at `area` (panel units) with `text` (UTF-8; the field
    // draws `entry` instead) above every widget, or hides it.
    void show(const PanelArea& area, const char* text, const TextEntry* entry);
    void hide();

    void destroy() override;
    const char* className() const override { return "COverlayWindowClass"; }
    LiveWindowCounter& liveWindowCount() const override { return liveWindows; }
    WNDPROC windowProcedure() const override { return &routeMessage<COverlay>; }

private:
    friend class CSkinWindow;

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window);
    void paintLabel(HDC target) const;
    void paintField(HDC target) const;
    void cutToFrame();

    static LiveWindowCounter liveWindows;

    Kind kind = Kind::label;
    HFONT font = nullptr;
    wchar_t text[96] = {};
    const TextEntry* entry = nullptr;
};

}  // namespace quenchbox::editor

#endif
