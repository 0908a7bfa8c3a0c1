#ifndef QUENCHBOX_EDITOR_WIN32_QUENCHBOXEDITOR_H
#define QUENCHBOX_EDITOR_WIN32_QUENCHBOXEDITOR_H

#include "editor/EditorLayout.h"
#include "editor/EditorModel.h"
#include "editor/EditorScale.h"
#include "editor/ScaledEditor.h"
#include "editor/win32/CLabel.h"
#include "editor/win32/CLedButton.h"
#include "editor/win32/CLedDial.h"
#include "editor/win32/CLedIcon.h"
#include "editor/win32/COverlay.h"
#include "editor/win32/CScopeXY.h"
#include "editor/win32/CZUKSlider.h"
#include "editor/win32/UpdateCheck.h"
#include "shell/AEffEditor.h"

#include <windows.h>

namespace quenchbox::editor {

// The plug-in's editor on Windows: a fixed 677 x 480 child window in the
// host's window with 26 widget windows over a skinned panel. What the
// controls mean - which parameter each moves, the 33 ms refresh that keeps
// controls and parameters in step, the meters and the response display - is
// the shared EditorModel's; this class is its Win32 window layer, ticked by
// a window timer.
//
// The panel is drawn at one of five sizes (ScalableEditor): what the host
// says, else the zoom the user chose on the maker's badge (a popup menu,
// remembered in the settings file), else the DPI of the monitor under the
// host's window, followed when the window moves to another monitor.
class QuenchboxEditor : public AEffEditor, public ScaledEditor, private EditorWidgets {
public:
    // `owner` is the effect the editor belongs to; `plugin` is where its
    // values come from and its edits go.
    QuenchboxEditor(AudioEffect* owner, PluginConnection& plugin);
    ~QuenchboxEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    // Keys the host hands the editor (VST2's effEditKeyDown, VST3's
    // onKeyDown): true when the panel used the key.
    bool onKeyDown(VstKeyCode& key) override;


private:
    // EditorWidgets
    DialModel& dialModel(int dial) override { return dials[dial].model(); }
    SliderModel& sliderModel(int slider) override { return sliders[slider].model(); }
    unsigned buttonState(int widget) const override { return buttons[widget - kOversampleButton].state(); }
    void showButtonState(int widget, unsigned state) override;
    int iconOpacity(int icon) const override { return icons[icon].opacity(); }
    void showIconOpacity(int icon, int opacity) override;
    void repaintDial(int dial) override;
    void repaintSlider(int slider) override;
    void showValueText(int label, const char* text) override;
    void showWidgets(bool visible, int first, int last) override;
    void repaintPanel() override;
    void plot(float x, float y, std::uint32_t colour) override { scope.plot(x, y, colour); }
    void commitScope() override { scope.commit(); }
    PanelArea areaOf(int widget) const override { return widgets[widget]->panelArea(); }
    bool widgetShown(int widget) const override;
    void pressButton(int widget) override;
    void overlayChanged() override;

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool windowOpen() const override;
    void rebuildAtScale() override;
    void showZoomMenu();
    void releasePanels();
    void loadPanels();
    void paintAboutText();
    void paint(HWND window, HDC given);
    void createWidgets();
    void destroyWidgets();

    void onWidgetNotification(unsigned id, bool on);
    void onGesture(bool begins, HWND control);
    bool onMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void onWheel(WPARAM wParam, LPARAM lParam);
    bool onKey(WPARAM virtualKey);
    void onCharacter(WPARAM character);
    void forwardToHost(UINT message, WPARAM wParam, LPARAM lParam);
    void runControlMenu();
    int widgetOf(HWND control) const;
    int widgetAt(LPARAM lParam) const;
    void checkForUpdates();
    void releaseUpdateOwner();

    HBITMAP mainPanel = nullptr;
    HBITMAP aboutPanel = nullptr;
    CLedButton buttons[kButtonCount];
    CLedDial dials[kDialCount];
    CZUKSlider sliders[kSliderCount];
    CLedIcon icons[kIconCount];
    CLabel labels[kSliderCount];
    CScopeXY scope;
    COverlay focusRing;
    COverlay valueField;
    COverlay valueLabel;
    CSkinWindow* widgets[kWidgetCount] = {};
    UpdateOwner* updateOwner = nullptr;
    HANDLE updateThread = nullptr;
    UINT_PTR timerId = 0;
    HWND window = nullptr;
    CRITICAL_SECTION editorLock;
    EditorModel model;

    double panelScale = 0.0;  // the scale the panels are made for; 0 while there are none
    int wheelRest = 0;        // a high-resolution wheel's movement short of a notch
    int wheelWidget = -1;
};

}  // namespace quenchbox::editor

#endif
