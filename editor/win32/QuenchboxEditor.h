#ifndef QUENCHBOX_EDITOR_WIN32_QUENCHBOXEDITOR_H
#define QUENCHBOX_EDITOR_WIN32_QUENCHBOXEDITOR_H

#include "editor/win32/CLabel.h"
#include "editor/win32/CLedButton.h"
#include "editor/win32/CLedDial.h"
#include "editor/win32/CLedIcon.h"
#include "editor/win32/CScopeXY.h"
#include "editor/win32/CZUKSlider.h"
#include "editor/win32/UpdateCheck.h"
#include "effect/MeterHandoff.h"
#include "engine/ResponseCurves.h"
#include "shell/AEffEditor.h"

#include <windows.h>

namespace quenchbox::effect {
class QuenchboxEffect;
}

namespace quenchbox::editor {

// The plug-in's editor: a fixed 677 x 480 child window in the host's window
// with 26 widgets over a skinned panel. Nothing links a control straight to
// its parameter: on a 33 ms timer the editor notices which controls the user
// moved since they last painted and writes those parameters (telling the
// host), and copies every other parameter into its control, so host
// automation and the mouse meet in one place. The same tick drives the stage
// icons from the audio thread's meters and redraws the response display when
// the engine has published new coefficients.
class QuenchboxEditor : public AEffEditor {
public:
    static constexpr int kWidgetCount = 26;

    // Created with the effect; attaches itself to it (has-editor flag set).
    explicit QuenchboxEditor(effect::QuenchboxEffect* owner);
    ~QuenchboxEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void loadPanels();
    void paintAboutText();
    void paint(HWND window, HDC given);
    void createWidgets();
    void showWidgets(int command, int first, int last);
    void showDeepDial(bool visible);
    void destroyWidgets();

    void refresh();
    void refreshResponse();
    void plotCurves();
    void refreshMeters();
    void refreshDials();
    void refreshSliders();
    void refreshButtons();
    void updateValueText(int label, int value);
    void computeGrid();

    void onWidgetNotification(unsigned id, bool on);
    void toggleAboutView(bool on);
    void checkForUpdates();
    void releaseUpdateOwner();

    effect::QuenchboxEffect* quenchbox;
    ERect rect{};
    HBITMAP mainPanel = nullptr;
    HBITMAP aboutPanel = nullptr;
    bool aboutShown = false;
    CLedButton buttons[8];
    CLedDial dials[6];
    CZUKSlider sliders[4];
    CLedIcon icons[3];
    CLabel labels[4];
    CScopeXY scope;
    CSkinWindow* widgets[kWidgetCount] = {};
    UpdateOwner* updateOwner = nullptr;
    HANDLE updateThread = nullptr;
    UINT_PTR timerId = 0;
    HWND window = nullptr;
    CRITICAL_SECTION editorLock;
    effect::MeterHandoff meters;
    engine::ResponseCurves curves;
};

}  // namespace quenchbox::editor

#endif
