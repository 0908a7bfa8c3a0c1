#ifndef QUENCHBOX_WINTESTS_WIDGETFIXTURE_H
#define QUENCHBOX_WINTESTS_WIDGETFIXTURE_H

// What the widget tests stand on: the plug-in library loaded as the widgets'
// module (its skins, its file name), COM for the skin decoder, a top-level
// window that shows the main panel as the editor's window does and records
// the widgets' notifications, and the whole widget set at the editor's
// positions.

#include "Pixels.h"

#include "editor/win32/CLabel.h"
#include "editor/win32/CLedButton.h"
#include "editor/win32/CLedDial.h"
#include "editor/win32/CLedIcon.h"
#include "editor/win32/CScopeXY.h"
#include "editor/win32/CZUKSlider.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

class PluginModule {
public:
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HINSTANCE handle() const { return module; }

private:
    HMODULE module;
};

// The DLL beside the test program, loaded once for the whole run.
HINSTANCE pluginModule();

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

Image loadSkin(HINSTANCE module, int skinId);

class PanelWindow {
public:
    struct Notification {
        WPARAM id;
        LPARAM state;
    };

    explicit PanelWindow(HINSTANCE module);
    ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    HWND handle() const { return window; }
    HBITMAP panel() const { return panelBitmap; }
    const Image& panelImage() const { return panelPixels; }

    std::vector<Notification> notifications;
    std::function<void(const Notification&)> onNotification;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint();

    HBITMAP panelBitmap;
    Image panelPixels;
    HWND window = nullptr;
};

// The editor's 26 widgets at the editor's positions over the main panel.
struct WidgetSet {
    quenchbox::editor::CLedDial dials[6];
    quenchbox::editor::CLedIcon icons[3];
    quenchbox::editor::CScopeXY scope;
    quenchbox::editor::CLedButton buttons[8];
    quenchbox::editor::CZUKSlider sliders[4];
    quenchbox::editor::CLabel labels[4];

    void create(HINSTANCE module, HWND parent, HBITMAP panel);
    void destroy();
    std::vector<quenchbox::editor::CSkinWindow*> all();
};

}  // namespace wintest

#endif
