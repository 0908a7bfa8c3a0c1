#ifndef QUENCHBOX_EDITOR_X11_QUENCHBOXEDITOR_H
#define QUENCHBOX_EDITOR_X11_QUENCHBOXEDITOR_H

#include "editor/ControlInput.h"
#include "editor/EditorLayout.h"
#include "editor/EditorModel.h"
#include "editor/EditorScale.h"
#include "editor/ScaledEditor.h"
#include "editor/posix/UpdateCheck.h"
#include "editor/x11/CairoWidgets.h"
#include "editor/x11/ControlMenuView.h"
#include "editor/x11/PanelMessage.h"
#include "editor/x11/SkinImages.h"
#include "editor/x11/ZoomMenu.h"
#include "shell/AEffEditor.h"

#include <cairo.h>

#include <memory>
#include <vector>

struct _XDisplay;
union _XEvent;

namespace quenchbox::editor {

class TextPainter;

// Xlib stays out of this header: it defines macros (Success, None) that
// clash with the engine's headers in the files that include this one.
using XDisplay = ::_XDisplay;
using XWindowId = unsigned long;
using XTime = unsigned long;

// The plug-in's editor on Linux: the same 677 x 480 panel as on Windows,
// drawn with cairo into one X11 child window of the host's window, at one
// of five sizes (ScalableEditor): what the host says, else the zoom the
// user chose on the maker's badge (remembered in the settings file), else
// the screen's Xft.dpi. The widgets stay in panel units; this layer scales
// what it draws and divides the pointer's positions.
//
// How hosts embed it (the VST2 convention on Linux): `open` takes the host's
// X11 window id as its parent (cast to a pointer), `idle` - which hosts call
// about 30 times a second from their user-interface thread - reads the
// window's events and runs the 33 ms refresh, `close` destroys the window.
// The editor talks to the X server over a connection of its own, opened in
// `open` and closed in `close`, and only from the thread that calls these
// operations: no thread of ours touches it. A host with an event loop of its
// own (CLAP's posix-fd-support) may watch `connectionFd` and call `idle`
// when it is readable, and on a timer (CLAP's timer-support) for the
// refresh; a host that never calls `idle` sees the panel as it was drawn at
// `open`, with no refresh and no input.
//
// The child window carries the name "ZUK Quenchbox RZ", or the text of the
// update check's in-panel message while one is shown, so that assistive
// tools and test hosts can read it as they read a message box on Windows.
class QuenchboxEditor : public AEffEditor, public ScaledEditor, private EditorWidgets {
public:
    // `owner` is the effect the editor belongs to, null for an editor of its
    // own (an LV2 UI); `plugin` is where its values come from and its edits
    // go. Touches no display: that happens in `open`.
    QuenchboxEditor(AudioEffect* owner, PluginConnection& plugin);
    ~QuenchboxEditor() override;

    bool getRect(ERect** rect) override;
    // `parentWindow` is the host's X11 window id. False without a parent,
    // without a display or when the window cannot be made.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    // Keys the host hands the editor (VST2's effEditKeyDown, VST3's
    // onKeyDown): true when the panel used the key.
    bool onKeyDown(VstKeyCode& key) override;

    // The file descriptor of the editor's X connection while it is open, -1
    // while closed: readable when window events wait for `idle`.
    int connectionFd() const;
    // The editor's own window while it is open, 0 while closed (the widget
    // an LV2 UI hands its host).
    XWindowId windowId() const { return window; }


private:
    // EditorWidgets
    DialModel& dialModel(int dial) override { return dials[dial].model; }
    SliderModel& sliderModel(int slider) override { return sliders[slider].model; }
    unsigned buttonState(int widget) const override { return buttons[widget - kOversampleButton].state; }
    void showButtonState(int widget, unsigned state) override;
    int iconOpacity(int icon) const override { return icons[icon].opacity; }
    void showIconOpacity(int icon, int opacity) override;
    void repaintDial(int dial) override { markDirty(kFirstDial + dial); }
    void repaintSlider(int slider) override { markDirty(kFirstSlider + slider); }
    void showValueText(int label, const char* text) override;
    void showWidgets(bool visible, int first, int last) override;
    void repaintPanel() override { panelDirty = true; }
    void plot(float x, float y, std::uint32_t colour) override { scope.pixels.plot(x, y, colour); }
    void commitScope() override;
    PanelArea areaOf(int widget) const override;
    bool widgetShown(int widget) const override;
    void pressButton(int widget) override;
    void overlayChanged() override;

    bool windowOpen() const override;
    void rebuildAtScale() override;
    bool answerZoomMenu(int x, int y, unsigned button);

    bool createWindow(XWindowId parent);
    void loadPanels();
    void paintAboutText();
    void buildWidgets();
    void releaseWidgets();
    void destroyWindow();

    void handleEvents();
    void handleEvent(const ::_XEvent& event);
    bool pressAt(int x, int y, unsigned button, unsigned modifiers, XTime time);
    void releaseAt(int x, int y, unsigned button);
    void pressed(int widget, const PressOutcome& outcome);
    void moveTo(int x, int y, unsigned modifiers);
    void keyPressed(const ::_XEvent& event);
    void forwardToHost(const ::_XEvent& event, long mask);
    void takeKeyboardFocus();
    void syncControlMenu();
    void checkForUpdates();
    void answerMessage(PanelMessage::Choice choice);
    void collectUpdateAnswer();
    void nameWindow();
    int widgetAt(int x, int y) const;
    bool isDoubleClick(int x, int y, XTime time, int widget);

    void markDirty(int widget);
    void addDamage(const WidgetBox& box) { damage.push_back(box.at(currentScale)); }
    // The panel comes back under `box` (where an overlay or a menu was),
    // with the controls there repainted.
    void restoreUnder(const WidgetBox& box) { uncovered.push_back(box); }
    void paintPanelUnder(cairo_t* cr, const WidgetBox& box);
    void paintUncovered(cairo_t* cr);
    bool overlapsOverlay(const WidgetBox& box) const;
    void paintOverlays(cairo_t* cr);
    void paintDirty();
    void paintWidget(cairo_t* cr, int widget);
    void showDamage();

    CairoDial dials[kDialCount];
    CairoIcon icons[kIconCount];
    CairoButton buttons[kButtonCount];
    CairoSlider sliders[kSliderCount];
    CairoLabel labels[kSliderCount];
    CairoScope scope;
    WidgetBox* boxes[kWidgetCount] = {};
    EditorModel model;

    XDisplay* display = nullptr;
    XWindowId window = 0;
    bool windowGone = false;  // destroyed with the host's window
    cairo_surface_t* windowSurface = nullptr;
    OwnedSurface back;        // the whole panel as shown, RGB24
    OwnedSurface mainPanel;
    OwnedSurface aboutPanel;
    double panelScale = 0.0;  // the scale the panels are made for; 0 before the first
    SkinSet skins;
    double widgetScale = 0.0;  // the scale the controls' images are made for; 0 while none are
    std::unique_ptr<TextPainter> text;
    bool dirty[kWidgetCount] = {};
    bool panelDirty = false;
    bool messageDirty = false;
    bool menuDirty = false;
    bool overlayDirty = false;
    bool controlMenuDirty = false;
    std::vector<WidgetBox> overlayDrawn;  // where the overlay was last drawn
    std::vector<WidgetBox> uncovered;
    std::vector<PixelBox> damage;  // back-buffer areas not yet on the window
    long long nextTickMs = 0;
    bool insideIdle = false;
    bool closeRequested = false;  // by the host, from inside a callback during idle

    int captured = -1;  // the widget that holds the pointer during a drag
    int lastPressWidget = -1;
    XTime lastPressTime = 0;
    int lastPressX = 0;
    int lastPressY = 0;

    UpdateCheck updateCheck;
    PanelMessage message;
    ZoomMenu zoomMenu;
    ControlMenuView controlMenu;

};

}  // namespace quenchbox::editor

#endif
