// Quenchbox RZ.exe: the effect as an application on Windows, on WASAPI, with
// every MIDI input, in a window with the panel or headless (--no-gui).
// Closing the window, Ctrl-C, the console closing, or a request to close its
// (hidden) window, as Task Manager's "End task" and taskkill make, stops it
// cleanly.
//
// It is a GUI-subsystem program, so that starting it from the Start menu
// opens no console window. Started from a console it writes there, and
// Ctrl-C reaches it; started with its output redirected (a pipe, a file) it
// writes there.

#include "app/AppRun.h"
#include "app/WasapiAudio.h"
#include "app/WinMidiInput.h"
#include "app/win32/AppWindow.h"
#include "editor/win32/Utf16.h"
#include "win32/ModuleInstance.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quenchbox;

constexpr const char* kProgramName = "Quenchbox RZ";
// How long the console's closing waits for the settings to be saved; Windows
// ends the program after about five seconds in any case.
constexpr DWORD kCloseWaitMilliseconds = 4000;

HANDLE stopEvent = nullptr;
HANDLE stoppedEvent = nullptr;

// The parent's console, when it has one, so that Ctrl-C reaches the program;
// a standard stream the parent gave (a pipe, a file) stays, one it did not
// give goes to that console.
void useParentConsole()
{
    const auto given = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
    };
    const bool outputGiven = given(STD_OUTPUT_HANDLE);
    const bool errorGiven = given(STD_ERROR_HANDLE);
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outputGiven)
        std::freopen("CONOUT$", "w", stdout);
    if (!errorGiven)
        std::freopen("CONOUT$", "w", stderr);
}

BOOL WINAPI consoleEvent(DWORD event)
{
    SetEvent(stopEvent);
    // Closing the console, logging off or shutting down ends the program as
    // soon as this returns: the settings are saved first.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(stoppedEvent, kCloseWaitMilliseconds);
    return TRUE;
}

// The command line in UTF-8, as every path of the program is.
std::vector<std::string> arguments()
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(editor::utf8(wide[i]));
    LocalFree(wide);
    return args;
}

LRESULT CALLBACK hiddenWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CLOSE)
        return DefWindowProcW(window, message, wParam, lParam);
    SetEvent(stopEvent);
    return 0;
}

// A top-level window never shown: what Task Manager and taskkill ask to
// close when they end a program that has no console.
HWND makeHiddenWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = hiddenWindowMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Quenchbox RZ headless";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"Quenchbox RZ", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

class WindowsPlatform final : public app::AppPlatform {
public:
    std::vector<std::string> deviceList() override { return app::WasapiAudio::deviceList(); }
    std::vector<std::string> deviceNames() override { return app::WasapiAudio::deviceNames(); }

    std::unique_ptr<app::AudioBackend> openAudio(app::AppEngine& engine, const app::AppSettings& settings,
                                                 const app::AppOptions& options, std::string& error) override
    {
        const app::WasapiAudio::Options device{settings.device, static_cast<unsigned>(settings.sampleRate),
                                               static_cast<unsigned>(settings.bufferFrames), options.exclusive};
        auto audio = std::make_unique<app::WasapiAudio>(engine, device);
        if (!audio->open(error))
            return nullptr;
        midi = std::make_unique<app::WinMidiInput>(engine);
        for (const std::string& name : midi->openAll())
            std::fprintf(stderr, "%s: the MIDI input '%s' does not open; playing without it\n", kProgramName,
                         name.c_str());
        return audio;
    }

    void prepare() override { hiddenWindow = makeHiddenWindow(); }

    // Waits for the stop event, handling the hidden window's messages.
    bool stopRequested(int milliseconds) override
    {
        const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            const DWORD wait = now < until ? static_cast<DWORD>(until - now) : 0;
            if (MsgWaitForMultipleObjects(1, &stopEvent, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0)
                return true;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);  // the window's keys become characters
                DispatchMessageW(&message);
            }
            if (WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0)
                return true;
            if (GetTickCount64() >= until)
                return false;
        }
    }

    std::unique_ptr<app::AppWindowLayer> makeWindow(AEffEditor& panel, app::AppController& controller) override
    {
        return std::make_unique<app::AppWindow>(panel, controller, GetModuleHandleW(nullptr));
    }

    void finished() override
    {
        midi.reset();
        if (hiddenWindow != nullptr)
            DestroyWindow(hiddenWindow);
    }

private:
    std::unique_ptr<app::WinMidiInput> midi;
    HWND hiddenWindow = nullptr;
};

}  // namespace

int main()
{
    useParentConsole();
    // The panel's skins are resources of this program, as they are of the
    // plug-in's library.
    win32::setModuleInstance(GetModuleHandleW(nullptr));
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stoppedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(consoleEvent, TRUE);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);

    const std::vector<std::string> args = arguments();
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    int status = 0;
    {
        WindowsPlatform platform;
        status = app::runApplication(kProgramName, static_cast<int>(argv.size()), argv.data(), platform);
    }
    std::fflush(stdout);
    SetEvent(stoppedEvent);
    return status;
}
