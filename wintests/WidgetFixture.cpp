#include "WidgetFixture.h"

#include "TestPaths.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"
#include "resources/SkinIds.h"

namespace wintest {

namespace editor = quenchbox::editor;

PluginModule::PluginModule(const std::string& path) : module(LoadLibraryA(path.c_str())) {}

PluginModule::~PluginModule()
{
    if (module)
        FreeLibrary(module);
}

HINSTANCE pluginModule()
{
    static PluginModule plugin(besideThisProgram("QuenchboxRZ.dll"));
    return plugin.handle();
}

Image loadSkin(HINSTANCE module, int skinId)
{
    HBITMAP skin = editor::loadPngResource(module, skinId);
    Image image = readDib(skin);
    if (skin)
        DeleteObject(skin);
    return image;
}

PanelWindow::PanelWindow(HINSTANCE module)
    : panelBitmap(editor::loadPngResource(module, SKIN_MAIN_PANEL)), panelPixels(readDib(panelBitmap))
{
    static const char* const kClass = "QuenchboxTestPanel";
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), kClass, &existing)) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &PanelWindow::procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassExA(&windowClass);
    }
    window = CreateWindowExA(0, kClass, "Quenchbox RZ widgets", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                             panelPixels.width, panelPixels.height, nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

PanelWindow::~PanelWindow()
{
    if (window)
        DestroyWindow(window);
    if (panelBitmap)
        DeleteObject(panelBitmap);
}

LRESULT CALLBACK PanelWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<PanelWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        self->paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case editor::kWidgetNotification:
        self->notifications.push_back({wParam, lParam});
        if (self->onNotification)
            self->onNotification(self->notifications.back());
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void PanelWindow::paint()
{
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ stock = SelectObject(source, panelBitmap);
    BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, source, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(source, stock);
    DeleteDC(source);
    EndPaint(window, &ps);
}

void WidgetSet::create(HINSTANCE module, HWND parent, HBITMAP panel)
{
    const int dialX[6] = {27, 127, 257, 357, 457, 557};
    const int dialRing[6] = {SKIN_WHITE_RING, SKIN_WHITE_RING, SKIN_RED_RING,
                             SKIN_RED_RING,   SKIN_RED_RING,   SKIN_RED_RING};
    for (int d = 0; d < 6; ++d)
        dials[d].create(module, parent, panel, dialX[d], dialRing[d]);
    icons[0].create(module, parent, panel, SKIN_CLIPPER_ICON, 152, 80);
    icons[1].create(module, parent, panel, SKIN_STAGE_A_ICON, 34, 82);
    icons[2].create(module, parent, panel, SKIN_STAGE_B_ICON, 93, 82);
    scope.create(module, parent, panel);

    const int rowSwitch[4] = {SKIN_MODE_SWITCH, SKIN_ONOFF_SWITCH, SKIN_ONOFF_SWITCH, SKIN_ONOFF_SWITCH};
    for (int row = 0; row < 4; ++row) {
        const int y = 316 + 40 * row;
        buttons[row].create(module, parent, panel, 113, y, rowSwitch[row], 13 + row);
        sliders[row].create(module, parent, panel, y);
        labels[row].create(module, parent, panel, y);
    }
    buttons[4].create(module, parent, panel, 0, 0, SKIN_ABOUT_BUTTON, 12);
    buttons[5].create(module, parent, panel, 40, 0, SKIN_UPDATE_BUTTON, 11);
    buttons[6].create(module, parent, panel, 80, 0, SKIN_OVERSAMPLE_BUTTON, 9);
    buttons[7].create(module, parent, panel, 120, 0, SKIN_CHANNELS_BUTTON, 10);
}

std::vector<editor::CSkinWindow*> WidgetSet::all()
{
    std::vector<editor::CSkinWindow*> widgets;
    for (auto& w : dials)
        widgets.push_back(&w);
    for (auto& w : icons)
        widgets.push_back(&w);
    widgets.push_back(&scope);
    for (auto& w : buttons)
        widgets.push_back(&w);
    for (auto& w : sliders)
        widgets.push_back(&w);
    for (auto& w : labels)
        widgets.push_back(&w);
    return widgets;
}

void WidgetSet::destroy()
{
    for (editor::CSkinWindow* widget : all())
        widget->destroy();
}

}  // namespace wintest
