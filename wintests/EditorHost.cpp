#include "EditorHost.h"

#include "TestPaths.h"
#include "editor/EditorLayout.h"


namespace wintest {

namespace {

constexpr const char* kHostClass = "QuenchboxTestHost";

VstIntPtr VSTCALLBACK testHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit) {
        std::lock_guard<std::mutex> guard(automationLog().lock);
        if (opcode == audioMasterAutomate)
            automationLog().entries.push_back({index, opt});
        automationLog().gestures += (opcode == audioMasterAutomate ? "A" : opcode == audioMasterBeginEdit ? "B" : "E") +
                                    std::to_string(index) + " ";
    }
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// The keys the editor hands back to the host's window.
LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_CHAR)
        hostKeys().push_back(static_cast<int>(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<int>& hostKeys()
{
    static std::vector<int> keys;
    return keys;
}

std::string AutomationLog::takeGestures()
{
    std::lock_guard<std::mutex> guard(lock);
    std::string taken;
    taken.swap(gestures);
    return taken;
}

HWND createHostWindow()
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), kHostClass, &existing)) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = hostWindowProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kHostClass;
        RegisterClassExA(&windowClass);
    }
    return CreateWindowExA(0, kHostClass, "Quenchbox RZ host", WS_POPUP | WS_VISIBLE, 0, 0, 677, 480, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

namespace {

struct ChildSearch {
    HWND parent;
    POINT corner;
    HWND found;
};

BOOL CALLBACK matchCorner(HWND child, LPARAM argument)
{
    auto* search = reinterpret_cast<ChildSearch*>(argument);
    if (GetParent(child) != search->parent)
        return TRUE;
    RECT place = {};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, search->parent, reinterpret_cast<POINT*>(&place), 2);
    if (place.left == search->corner.x && place.top == search->corner.y) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::vector<std::pair<int, float>> AutomationLog::take()
{
    std::lock_guard<std::mutex> guard(lock);
    std::vector<std::pair<int, float>> taken;
    taken.swap(entries);
    return taken;
}

AutomationLog& automationLog()
{
    static AutomationLog log;
    return log;
}

void pumpMessages(int milliseconds)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (GetTickCount64() < end);
}

EditorSession::EditorSession(const std::string& libraryName)
    : library(LoadLibraryA(besideThisProgram(libraryName.c_str()).c_str()))
{
    if (library == nullptr)
        return;
    using EntryPoint = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(GetProcAddress(library, "VSTPluginMain")));
    record = entry ? entry(testHost) : nullptr;
    host = createHostWindow();
    // What an earlier session told its host is not this one's.
    automationLog().take();
    automationLog().takeGestures();
}

EditorSession::~EditorSession()
{
    destroyInstance();
    if (host != nullptr)
        DestroyWindow(host);
    if (library != nullptr)
        FreeLibrary(library);
}

VstIntPtr EditorSession::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

bool EditorSession::open()
{
    if (record == nullptr)
        return false;
    // As DAWs do, the host's window takes the size the editor states.
    ERect* rect = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr)
        SetWindowPos(host, nullptr, 0, 0, rect->right - rect->left, rect->bottom - rect->top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (dispatch(effEditOpen, 0, 0, host) == 0)
        return false;
    pumpMessages(50);
    return true;
}

void EditorSession::close()
{
    if (record != nullptr)
        dispatch(effEditClose);
}

void EditorSession::destroyInstance()
{
    stopAudio();
    if (record == nullptr)
        return;
    close();
    dispatch(effClose);
    record = nullptr;
}

HWND EditorSession::editorWindow() const { return FindWindowExA(host, nullptr, kEditorWindowClass, nullptr); }

HWND EditorSession::widgetAt(int x, int y) const
{
    ChildSearch search{editorWindow(), {x, y}, nullptr};
    if (search.parent != nullptr)
        EnumChildWindows(search.parent, matchCorner, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void EditorSession::startAudio(float amplitude) { audio.start(record, amplitude); }

void EditorSession::stopAudio() { audio.stop(); }

bool pumpUntil(const std::function<bool()>& done)
{
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (!done()) {
        if (GetTickCount64() > deadline)
            return false;
        pumpMessages(10);
    }
    return true;
}

bool EditorSession::pumpWhileAudioPlays(long blocks)
{
    const long until = audio.blocksPlayed() + blocks;
    if (!pumpUntil([&] { return audio.blocksPlayed() >= until; }))
        return false;
    pumpMessages(2 * quenchbox::editor::kRefreshMs);  // the editor's timer ticks every kRefreshMs
    return true;
}

MessageBoxAnswerer::MessageBoxAnswerer() : watcher([this] { watch(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    stopping = true;
    watcher.join();
}

void MessageBoxAnswerer::watch()
{
    while (!stopping) {
        HWND box = FindWindowA("#32770", "ZUK Quenchbox RZ");
        if (box == nullptr) {
            Sleep(5);
            continue;
        }
        char text[256] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the message's static text
        const int answer = GetDlgItem(box, IDNO) != nullptr ? IDNO : IDOK;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
        while (IsWindow(box) && !stopping)
            Sleep(5);
        std::lock_guard<std::mutex> guard(lock);
        texts.push_back(text);
    }
}

std::string MessageBoxAnswerer::nextText()
{
    std::string text;
    pumpUntil([&] {
        std::lock_guard<std::mutex> guard(lock);
        if (consumed == texts.size())
            return false;
        text = texts[consumed++];
        return true;
    });
    return text;
}

int MessageBoxAnswerer::answered()
{
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(texts.size());
}

Image vst2EditorPicture()
{
    EditorSession vst("QuenchboxRZ.dll");
    if (!vst.open())
        return {};
    pumpMessages(300);
    Image picture = captureWindow(vst.editorWindow());
    vst.close();
    return picture;
}

}  // namespace wintest
