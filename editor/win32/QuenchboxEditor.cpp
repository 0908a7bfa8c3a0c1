#include "editor/win32/QuenchboxEditor.h"

#include "editor/win32/SkinLoader.h"
#include "editor/win32/WidgetNotification.h"
#include "effect/ParameterMapping.h"
#include "effect/Parameters.h"
#include "effect/QuenchboxEffect.h"
#include "resources/SkinIds.h"
#include "shell/StringCopy.h"
#include "win32/ModuleInstance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

namespace quenchbox::editor {

namespace {

constexpr const char* kWindowClass = "ZUKVelamorRZWndClass";
constexpr const char* kWindowName = "VelamorRZWnd";
constexpr UINT_PTR kTimerId = 0x1234;
constexpr UINT kTimerMs = 33;  // about 30 refreshes a second

// Positions in the widget table.
enum WidgetIndex : int {
    kFirstDial = 0,
    kDeepDial = 2,
    kSolverIcon = 6,
    kStageAIcon = 7,
    kStageBIcon = 8,
    kOversampleButton = 9,
    kChannelsButton = 10,
    kUpdateButton = 11,
    kAboutButton = 12,
    kModeButton = 13,
    kLedsButton = 14,
    kBrightButton = 15,
    kPowerButton = 16,
    kFirstSlider = 17,
    kScope = 21,
    kFirstLabel = 22,
    kLastWidget = 25,
};

struct DialPlace {
    int x;
    int litSkin;
    int parameter;
};
constexpr DialPlace kDials[6] = {
    {27, SKIN_WHITE_RING, effect::kDrive}, {127, SKIN_WHITE_RING, effect::kLevel}, {257, SKIN_RED_RING, effect::kDeep},
    {357, SKIN_RED_RING, effect::kBass},   {457, SKIN_RED_RING, effect::kMiddle},  {557, SKIN_RED_RING, effect::kTreble},
};

struct IconPlace {
    int x;
    int y;
    int skin;
};
constexpr IconPlace kIcons[3] = {
    {152, 80, SKIN_CLIPPER_ICON}, {34, 82, SKIN_STAGE_A_ICON}, {93, 82, SKIN_STAGE_B_ICON}};

// The buttons in table order 9 to 16; each carries its table index as control id.
struct ButtonPlace {
    int x;
    int y;
    int skin;
};
constexpr ButtonPlace kButtons[8] = {
    {80, 0, SKIN_OVERSAMPLE_BUTTON}, {120, 0, SKIN_CHANNELS_BUTTON}, {40, 0, SKIN_UPDATE_BUTTON},
    {0, 0, SKIN_ABOUT_BUTTON},       {113, 316, SKIN_MODE_SWITCH},   {113, 356, SKIN_ONOFF_SWITCH},
    {113, 396, SKIN_ONOFF_SWITCH},   {113, 436, SKIN_ONOFF_SWITCH},
};

// The rows of sliders, labels and switches.
constexpr int kRowY[4] = {316, 356, 396, 436};
constexpr int kSliderParameters[4] = {effect::kVoltage, effect::kOpAmpGain, effect::kScale, effect::kMix};

// Button table entries bound to parameters, in the order the refresh visits them.
struct ButtonBinding {
    int widget;
    int parameter;
};
constexpr ButtonBinding kButtonBindings[6] = {
    {kOversampleButton, effect::kOversample}, {kLedsButton, effect::kLeds},   {kModeButton, effect::kRzMode},
    {kBrightButton, effect::kBright},         {kPowerButton, effect::kEnable}, {kChannelsButton, effect::kChannels},
};

constexpr std::uint32_t kPreCurveColour = 0xBB2452;   // the panel's red
constexpr std::uint32_t kPostCurveColour = 0xD4D4D4;  // light grey
constexpr std::uint32_t kGridDirty = 0x1;
constexpr std::uint32_t kPreCurveDirty = 0x2;
constexpr std::uint32_t kPostCurveDirty = 0x4;

int editorCount = 0;  // editor objects in this module; the window class lives while there are any

// A parameter as a control's percent: the nearest whole percent (ties to
// even), held within 0..100.
int percentOf(float value)
{
    const float percent = value * 100.0f;
    if (!(percent > 0.0f))
        return 0;
    return percent < 100.0f ? static_cast<int>(std::nearbyint(percent)) : 100;
}

// Opacity 0..255 of a stage icon for a meter reading scaled to full strength at 1.
int opacityOf(double reading)
{
    const double alpha = reading * 255.0;
    if (!(alpha > 0.0))
        return 0;
    return alpha < 255.0 ? static_cast<int>(alpha) : 255;
}

// Curve value (|H|^2) to the scope's vertical position (-1 top, +1 bottom):
// 60 dB per full height, 0 dB in the middle row, raised by `liftDb`.
float scopeRow(float power, float liftDb)
{
    const float twiceDb = power > 0.0f ? 20.0f * std::log10(power) : -100.0f;
    return 1.0f - ((twiceDb * 0.5f + liftDb + 30.0f) * 2.0f * 0.016666668f);
}

void registerWindowClass(WNDPROC procedure)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = win32::moduleInstance();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
}

int bitmapSize(HBITMAP bitmap, bool height)
{
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof(info), &info) == 0)
        return 0;
    return height ? info.bmHeight : info.bmWidth;
}

}  // namespace

QuenchboxEditor::QuenchboxEditor(effect::QuenchboxEffect* owner) : AEffEditor(owner), quenchbox(owner)
{
    CSkinWindow* table[kWidgetCount] = {&dials[0],   &dials[1],   &dials[2],   &dials[3],   &dials[4],
                                        &dials[5],   &icons[0],   &icons[1],   &icons[2],   &buttons[0],
                                        &buttons[1], &buttons[2], &buttons[3], &buttons[4], &buttons[5],
                                        &buttons[6], &buttons[7], &sliders[0], &sliders[1], &sliders[2],
                                        &sliders[3], &scope,      &labels[0],  &labels[1],  &labels[2],
                                        &labels[3]};
    std::copy(table, table + kWidgetCount, widgets);
    InitializeCriticalSection(&editorLock);
    if (editorCount++ == 0)
        registerWindowClass(windowProcedure);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    loadPanels();
    computeGrid();

    quenchbox->setEditor(this);
    quenchbox->hasEditor(true);
    quenchbox->attachMeterHandoff(&meters);
}

QuenchboxEditor::~QuenchboxEditor()
{
    // The effect's own part is gone by now (the editor goes with the base
    // part), so only the base's fields are touched. While detaching, the
    // audio thread's meter hand-off (it only tries this lock) would skip.
    EnterCriticalSection(&editorLock);
    {
        std::lock_guard<effect::EffectLock> holdMeters(meters.lock);
        effect->setEditor(nullptr);
        effect->hasEditor(false);
    }
    close();
    DeleteObject(mainPanel);
    DeleteObject(aboutPanel);
    releaseUpdateOwner();
    if (updateThread != nullptr)
        CloseHandle(updateThread);
    LeaveCriticalSection(&editorLock);
    DeleteCriticalSection(&editorLock);
    if (--editorCount == 0)
        UnregisterClassA(kWindowClass, win32::moduleInstance());
    CoUninitialize();
}

void QuenchboxEditor::loadPanels()
{
    aboutPanel = loadPngResource(win32::moduleInstance(), SKIN_ABOUT_PANEL);
    mainPanel = loadPngResource(win32::moduleInstance(), SKIN_MAIN_PANEL);
    paintAboutText();
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<std::int16_t>(bitmapSize(mainPanel, true));
    rect.right = static_cast<std::int16_t>(bitmapSize(mainPanel, false));
}

bool QuenchboxEditor::getRect(ERect** hostRect)
{
    if (hostRect == nullptr)
        return false;
    *hostRect = &rect;
    return true;
}

bool QuenchboxEditor::open(void* parentWindow)
{
    if (parentWindow == nullptr)
        return false;
    systemWindow = parentWindow;
    aboutShown = false;
    window = CreateWindowExA(0, kWindowClass, kWindowName, WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, static_cast<HWND>(parentWindow), nullptr,
                             win32::moduleInstance(), nullptr);
    if (window == nullptr) {
        close();
        return false;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    createWidgets();
    timerId = SetTimer(window, kTimerId, kTimerMs, nullptr);

    ShowWindow(window, SW_SHOW);
    for (int i = 0; i <= kLastWidget; ++i)
        if (i != kDeepDial && widgets[i]->window() != nullptr)
            ShowWindow(widgets[i]->window(), SW_SHOW);
    showDeepDial(buttons[kModeButton - kOversampleButton].state() == 1);
    UpdateWindow(window);
    refresh();
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

// A check still running shows its answer without an owner from now on.
void QuenchboxEditor::releaseUpdateOwner()
{
    if (updateOwner == nullptr)
        return;
    updateOwner->forgetWindow();
    updateOwner->release();
    updateOwner = nullptr;
}

void QuenchboxEditor::close()
{
    if (window != nullptr && timerId != 0)
        KillTimer(window, kTimerId);
    timerId = 0;
    destroyWidgets();
    if (updateOwner != nullptr)
        updateOwner->forgetWindow();
    if (window != nullptr)
        DestroyWindow(window);
    window = nullptr;
    AEffEditor::close();
}

void QuenchboxEditor::destroyWidgets()
{
    for (CSkinWindow* widget : widgets)
        widget->destroy();
}

// Dials, icons and the scope first, then row by row the switch, slider and
// value label, then the top buttons: the order fixes the windows' z-order.
void QuenchboxEditor::createWidgets()
{
    const HINSTANCE module = win32::moduleInstance();
    for (int d = 0; d < 6; ++d)
        dials[d].create(module, window, mainPanel, kDials[d].x, kDials[d].litSkin);
    for (int i = 0; i < 3; ++i)
        icons[i].create(module, window, mainPanel, kIcons[i].skin, kIcons[i].x, kIcons[i].y);
    scope.create(module, window, mainPanel);
    auto createButton = [&](int index) {
        const ButtonPlace& place = kButtons[index - kOversampleButton];
        buttons[index - kOversampleButton].create(module, window, mainPanel, place.x, place.y, place.skin,
                                                  static_cast<unsigned>(index));
    };
    for (int row = 0; row < 4; ++row) {
        createButton(kModeButton + row);
        sliders[row].create(module, window, mainPanel, kRowY[row]);
        labels[row].create(module, window, mainPanel, kRowY[row]);
    }
    for (int index : {kAboutButton, kUpdateButton, kOversampleButton, kChannelsButton})
        createButton(index);
}

void QuenchboxEditor::showWidgets(int command, int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (widgets[i]->window() != nullptr)
            ShowWindow(widgets[i]->window(), command);
    UpdateWindow(window);
}

void QuenchboxEditor::showDeepDial(bool visible) { showWidgets(visible ? SW_SHOW : SW_HIDE, kDeepDial, kDeepDial); }

LRESULT CALLBACK QuenchboxEditor::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* editor = reinterpret_cast<QuenchboxEditor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (editor == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return editor->handleMessage(window, message, wParam, lParam);
}

LRESULT QuenchboxEditor::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kTimerId && !aboutShown)
            refresh();
        return 0;
    case kWidgetNotification:
        onWidgetNotification(static_cast<unsigned>(wParam), (lParam & 1) != 0);
        return 1;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void QuenchboxEditor::paint(HWND hwnd, HDC given)
{
    PAINTSTRUCT ps = {};
    HDC target = given != nullptr ? given : BeginPaint(hwnd, &ps);
    RECT clip = {};
    GetClipBox(target, &clip);
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(source, aboutShown ? aboutPanel : mainPanel);
    BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, source, clip.left, clip.top,
           SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    if (given == nullptr)
        EndPaint(hwnd, &ps);
}

void QuenchboxEditor::onWidgetNotification(unsigned id, bool on)
{
    const float value = on ? 1.0f : 0.0f;
    switch (id) {
    case kOversampleButton:
        quenchbox->setParameterAutomated(effect::kOversample, value);
        break;
    case kChannelsButton:
        quenchbox->setParameterAutomated(effect::kChannels, value);
        break;
    case kUpdateButton:
        checkForUpdates();
        break;
    case kAboutButton:
        toggleAboutView(on);
        break;
    case kModeButton:
        quenchbox->setParameterAutomated(effect::kRzMode, value);
        showDeepDial(on);
        break;
    case kLedsButton:
        quenchbox->setParameterAutomated(effect::kLeds, value);
        break;
    case kBrightButton:
        quenchbox->setParameterAutomated(effect::kBright, value);
        break;
    case kPowerButton:
        quenchbox->setParameterAutomated(effect::kEnable, value);
        break;
    default:
        break;
    }
}

// The about view keeps the four top buttons over the about panel; leaving it
// brings back the Deep dial only in the second circuit variant.
void QuenchboxEditor::toggleAboutView(bool on)
{
    if (on) {
        showWidgets(SW_HIDE, 0, kLastWidget);
        showWidgets(SW_SHOW, kOversampleButton, kAboutButton);
        aboutShown = true;
    } else {
        aboutShown = false;
        showWidgets(SW_SHOW, 0, kLastWidget);
        showDeepDial(buttons[kModeButton - kOversampleButton].state() == 1);
    }
    InvalidateRect(window, nullptr, FALSE);
}

// One check at a time; the button springs back at once either way.
void QuenchboxEditor::checkForUpdates()
{
    DWORD exitCode = 0;
    const bool running = updateThread != nullptr && GetExitCodeThread(updateThread, &exitCode) && exitCode == STILL_ACTIVE;
    if (!running) {
        if (updateThread != nullptr)
            CloseHandle(updateThread);
        releaseUpdateOwner();
        updateOwner = new UpdateOwner(window);
        updateThread = startUpdateCheck(updateOwner);
    }
    buttons[kUpdateButton - kOversampleButton].setState(0);
}

void QuenchboxEditor::refresh()
{
    refreshResponse();
    refreshMeters();
    refreshDials();
    refreshSliders();
    refreshButtons();
}

void QuenchboxEditor::refreshMeters()
{
    double solver;
    double stageA;
    double stageB;
    {
        std::lock_guard<effect::EffectLock> guard(meters.lock);
        solver = meters.solver;
        stageA = meters.stageA;
        stageB = meters.stageB;
    }
    // The clipper icon is at full strength from 2 mA of LED current.
    const int opacities[3] = {opacityOf(solver * 500.0), opacityOf(stageA), opacityOf(stageB)};
    for (int i = 0; i < 3; ++i) {
        if (icons[i].opacity() == opacities[i])
            continue;
        icons[i].setOpacity(opacities[i]);
        if (icons[i].window() != nullptr)
            InvalidateRect(icons[i].window(), nullptr, FALSE);
    }
}

void QuenchboxEditor::refreshDials()
{
    for (int d = 0; d < 6; ++d) {
        CLedDial& dial = dials[d];
        const int parameter = kDials[d].parameter;
        if (dial.value(0) != dial.painted(0))
            quenchbox->setParameterAutomated(parameter, static_cast<float>(dial.value(0)) * 0.01f);
        else
            dial.setValue(0, percentOf(quenchbox->getParameter(parameter)));
        if ((dial.value(0) != dial.painted(0) || dial.value(1) != dial.painted(1)) && dial.window() != nullptr)
            InvalidateRect(dial.window(), nullptr, FALSE);
    }
}

void QuenchboxEditor::refreshSliders()
{
    for (int s = 0; s < 4; ++s) {
        CZUKSlider& slider = sliders[s];
        const int parameter = kSliderParameters[s];
        if (slider.value(0) != slider.painted(0)) {
            quenchbox->setParameterAutomated(parameter, static_cast<float>(slider.value(0)) * 0.01f);
            updateValueText(s, slider.value(0));
        } else {
            const int percent = percentOf(quenchbox->getParameter(parameter));
            if (percent != slider.value(0)) {
                slider.setValue(0, percent);
                updateValueText(s, percent);
            }
        }
        if ((slider.value(0) != slider.painted(0) || slider.value(1) != slider.painted(1))
            && slider.window() != nullptr) {
            InvalidateRect(slider.window(), nullptr, FALSE);
            UpdateWindow(slider.window());
        }
    }
}

void QuenchboxEditor::refreshButtons()
{
    for (const ButtonBinding& binding : kButtonBindings) {
        CLedButton& button = buttons[binding.widget - kOversampleButton];
        const unsigned on = static_cast<unsigned>(effect::twoWayChoice(quenchbox->getParameter(binding.parameter)));
        if (on == button.state())
            continue;
        button.setState(on);
        if (binding.parameter == effect::kRzMode)
            showDeepDial(on == 1);
    }
}

// The value texts read like the host's, in the units a guitarist expects:
// "9.0 V", "75%", "+10%".
void QuenchboxEditor::updateValueText(int label, int percent)
{
    char text[64];
    switch (kSliderParameters[label]) {
    case effect::kVoltage:
        std::snprintf(text, sizeof(text), "%.1f V", effect::supplyVoltage(static_cast<float>(percent) * 0.01f));
        break;
    case effect::kScale:
        if (percent == 50)
            std::snprintf(text, sizeof(text), "0%%");
        else
            std::snprintf(text, sizeof(text), "%+d%%", percent - 50);
        break;
    default:
        std::snprintf(text, sizeof(text), "%d%%", percent);
        break;
    }
    labels[label].setText(text);
    if (labels[label].window() != nullptr)
        InvalidateRect(labels[label].window(), nullptr, FALSE);
}

void QuenchboxEditor::computeGrid()
{
    curves.computeGrid(quenchbox->getSampleRate(), quenchbox->getParameter(effect::kOversample) > 0.5f);
}

// The curves are recomputed only when the engine has published new
// coefficients, under the display lock that keeps them from being seen half
// published; the plotting happens outside it.
void QuenchboxEditor::refreshResponse()
{
    // Read before the display lock: no thread holds two of the effect's locks.
    const float sampleRate = quenchbox->getSampleRate();
    const bool oversampled = quenchbox->getParameter(effect::kOversample) > 0.5f;
    {
        std::lock_guard<effect::EffectLock> guard(quenchbox->displayLockForEditor());
        const std::uint32_t dirty = quenchbox->displayDirtyBits();
        if (dirty == 0)
            return;
        if (dirty & kGridDirty)
            curves.computeGrid(sampleRate, oversampled);
        if (dirty & kPreCurveDirty)
            curves.computePre(quenchbox->driveEngine());
        if (dirty & kPostCurveDirty)
            curves.computePost(quenchbox->driveEngine());
        quenchbox->displayDirtyBits() = 0;
    }
    plotCurves();
}

// Logarithmic in frequency from -1 (20 Hz) to +1 (22.05 kHz); the pre curve
// has 0 dB in the middle row, the post curve 20 dB (a third of the height) higher.
void QuenchboxEditor::plotCurves()
{
    for (int i = 0; i < engine::ResponseCurves::kPointCount; ++i) {
        const float x = static_cast<float>(i) * 2.0f * 0.0055555557f - 1.0f;
        scope.plot(x, scopeRow(curves.pre(i), 0.0f), kPreCurveColour);
        scope.plot(x, scopeRow(curves.post(i), 20.0f), kPostCurveColour);
    }
    scope.commit();
}

}  // namespace quenchbox::editor
