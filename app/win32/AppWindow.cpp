#include "app/win32/AppWindow.h"

#include "app/AppController.h"
#include "app/AppStyle.h"
#include "editor/EditorLayout.h"
#include "editor/EditorScale.h"
#include "editor/OverlayStyle.h"
#include "editor/win32/Utf16.h"
#include "shell/AEffEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quenchbox::app {

namespace {

constexpr wchar_t kWindowClass[] = L"QuenchboxRZApplication";
constexpr wchar_t kHolderClass[] = L"QuenchboxRZPanelHolder";
constexpr wchar_t kTitle[] = L"Quenchbox RZ";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

COLORREF colourRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// Draws in panel units on a device context in pixels.
class Painter {
public:
    Painter(HDC target, double factor, HFONT font) : dc(target), scale(factor)
    {
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }

    RECT pixels(double x, double y, double width, double height) const
    {
        return {static_cast<LONG>(std::lround(x * scale)), static_cast<LONG>(std::lround(y * scale)),
                static_cast<LONG>(std::lround((x + width) * scale)), static_cast<LONG>(std::lround((y + height) * scale))};
    }
    void fill(double x, double y, double width, double height, std::uint32_t colour) const
    {
        const RECT area = pixels(x, y, width, height);
        HBRUSH brush = CreateSolidBrush(colourRef(colour));
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }
    void framed(const ItemBox& box, std::uint32_t fillColour, std::uint32_t border) const
    {
        fill(box.x, box.y, box.width, box.height, border);
        fill(box.x + 1, box.y + 1, box.width - 2, box.height - 2, fillColour);
    }
    void text(const std::string& utf8, const ItemBox& box, std::uint32_t colour, UINT format) const
    {
        RECT area = pixels(box.x, box.y, box.width, box.height);
        SetTextColor(dc, colourRef(colour));
        std::wstring shown = editor::wide(utf8);
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &area, format | DT_NOPREFIX);
    }
    void disc(double x, double y, double diameter, std::uint32_t colour) const
    {
        HBRUSH brush = CreateSolidBrush(colourRef(colour));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        const RECT area = pixels(x, y, diameter, diameter);
        Ellipse(dc, area.left, area.top, area.right, area.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }

private:
    HDC dc;
    double scale;
};

void paintMeter(const Painter& painter, const ViewItem& item)
{
    const ItemBox& box = item.box;
    const double length = meterLength(box);
    painter.fill(box.x, box.y, length, box.height, editor::kFieldFill);
    for (const MeterBand& band : kMeterBands) {
        const double to = std::min(item.level, band.to);
        if (to > band.from)
            painter.fill(box.x + band.from * length, box.y + 2, (to - band.from) * length, box.height - 4.0,
                         band.colour);
    }
    if (item.hold > 0.0)
        painter.fill(box.x + item.hold * length - 1.5, box.y, 1.5, box.height, editor::kLabelTextColour);
    const double light = box.height;
    painter.disc(box.x + box.width - light + 1, box.y + 1, light - 2,
                 item.lit ? editor::kPreCurveColour : kClipLightOff);
}

UINT textFormat(const ViewItem& item)
{
    return DT_LEFT | (item.wrapped ? DT_WORDBREAK : DT_SINGLELINE | DT_END_ELLIPSIS);
}

void paintItem(const Painter& painter, const ViewItem& item)
{
    const std::uint32_t ink = item.enabled ? editor::kLabelTextColour : kDimmedText;
    switch (item.kind) {
    case ItemKind::label: painter.text(item.text, item.box, ink, textFormat(item)); break;
    case ItemKind::title: painter.text(item.text, item.box, editor::kPreCurveColour, textFormat(item)); break;
    case ItemKind::button:
        painter.framed(item.box, item.lit ? editor::kSelectionFill : kButtonFill,
                       item.lit ? editor::kPreCurveColour : kButtonBorder);
        painter.text(item.text, item.box, ink, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        break;
    case ItemKind::field: {
        painter.framed(item.box, editor::kFieldFill, editor::kLabelTextColour);
        ItemBox inside = item.box;
        inside.x += editor::kFieldInset;
        inside.width -= 2 * editor::kFieldInset;
        painter.text(item.text + "|", inside, ink, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    case ItemKind::meter: paintMeter(painter, item); break;
    }
}

void registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW description = {};
    description.cbSize = sizeof description;
    description.hInstance = instance;
    description.hCursor = LoadCursor(nullptr, IDC_ARROW);
    description.lpfnWndProc = procedure;
    description.lpszClassName = name;
    RegisterClassExW(&description);
}

}  // namespace

AppWindow::AppWindow(AEffEditor& panel, AppController& appController, HINSTANCE module)
    : PanelHost(panel, appController), instance(module)
{
}

AppWindow::~AppWindow() { close(); }

bool AppWindow::open(std::string& error)
{
    registerClass(instance, kHolderClass, DefWindowProcW);
    registerClass(instance, kWindowClass, windowProcedure);
    window = CreateWindowExW(0, kWindowClass, kTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth,
                             kBarHeight + kPageHeight, nullptr, nullptr, instance, this);
    if (window == nullptr) {
        error = "cannot make the window";
        return false;
    }
    panelHolder = CreateWindowExW(0, kHolderClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, kBarHeight,
                                  kWindowWidth, kPageHeight, window, nullptr, instance, nullptr);
    openEditor();
    if (!editorOpen)
        fitPanel(kWindowWidth, kPageHeight);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

void AppWindow::fitPanel(int panelWidth, int panelHeight)
{
    if (font != nullptr)
        DeleteObject(font);
    font = CreateFontW(-editor::scaledLength(kTextPixels, scale), 0, 0, 0, FW_HEAVY, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, nullptr);
    SetWindowPos(panelHolder, nullptr, 0, barPixels(), panelWidth, panelHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{0, 0, panelWidth, barPixels() + panelHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
}

void AppWindow::waitForEvents(int milliseconds)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            closing = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void AppWindow::update()
{
    if (window == nullptr)
        return;
    followPage();
    if (editorOpen)
        editor.idle();
    if (controller.view() != painted) {
        RECT area{0, 0, 0, 0};
        GetClientRect(window, &area);
        if (!controller.pageShown())
            area.bottom = barPixels();
        InvalidateRect(window, &area, FALSE);
    }
}

LRESULT CALLBACK AppWindow::windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<AppWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->window != hwnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT AppWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paintInfo;
        HDC dc = BeginPaint(window, &paintInfo);
        paint(dc);
        EndPaint(window, &paintInfo);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // every pixel is painted
    case WM_LBUTTONDOWN:
        SetFocus(window);
        pressAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        update();
        return 0;
    case WM_CHAR: typed(static_cast<wchar_t>(wParam)); return 0;
    case WM_CLOSE: closing = true; return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void AppWindow::typed(wchar_t character)
{
    if (!controller.fieldOpen())
        return;
    if (character == L'\r') {
        controller.confirmField();
    } else if (character == 0x1B) {
        controller.cancelField();
    } else if (character == L'\b') {
        controller.eraseCharacter();
    } else if (character >= 0xD800 && character < 0xDC00) {
        highSurrogate = character;  // the second half follows
    } else if (character >= 0x20) {
        const wchar_t pair[2] = {highSurrogate, character};
        const bool paired = highSurrogate != 0 && character >= 0xDC00 && character < 0xE000;
        controller.type(paired ? editor::utf8(pair, 2) : editor::utf8(&character, 1));
        highSurrogate = 0;
    }
    update();
}

// Into a bitmap first, so that the bar never flickers while the meters move.
void AppWindow::paint(HDC target)
{
    painted = controller.view();
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = GetCurrentObject(memory, OBJ_FONT);
    {
        const Painter painter(memory, scale, font);
        painter.fill(0, 0, kWindowWidth, kBarHeight + kPageHeight, kBarFill);
        painter.fill(0, kBarHeight - 1, kWindowWidth, 1, kButtonBorder);
        for (const ViewItem& item : painted)
            paintItem(painter, item);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void AppWindow::close()
{
    if (window == nullptr)
        return;
    closeEditor();
    DestroyWindow(window);  // and the holder with it
    window = nullptr;
    panelHolder = nullptr;
    if (font != nullptr)
        DeleteObject(font);
    font = nullptr;
}

}  // namespace quenchbox::app
