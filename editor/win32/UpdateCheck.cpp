#include "editor/win32/UpdateCheck.h"

#include "editor/UpdateServer.h"
#include "editor/VersionFile.h"

#include <wininet.h>

#include <string>

namespace quenchbox::editor {

namespace {

constexpr DWORD kConnectTimeoutMs = kUpdateConnectTimeoutMs;
constexpr DWORD kNoCacheNoUi = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES
                               | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;

std::string serverUrl(const char* path) { return std::string("http://") + updateServer() + path; }

bool answeredOk(HINTERNET url)
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    return HttpQueryInfoA(url, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)
           && status == 200;
}

// The first record with this plug-in's identifier decides; a truncated last
// record ends the search.
std::uint32_t findOwnRecord(HINTERNET url)
{
    unsigned char record[kVersionRecordSize];
    DWORD read = 0;
    while (InternetReadFile(url, record, kVersionRecordSize, &read) && read == kVersionRecordSize)
        if (isOwnRecord(record))
            return recordVersion(record);
    return 0;
}

void answerUser(HWND owner, std::uint32_t latest)
{
    const UpdateAnswer answer = answerFor(latest);
    const char* text = answerText(answer);
    if (answer == UpdateAnswer::kNoInformation) {
        MessageBoxA(owner, text, kUpdateCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    if (answer == UpdateAnswer::kLatest) {
        MessageBoxA(owner, text, kUpdateCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (MessageBoxA(owner, text, kUpdateCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ShellExecuteA(nullptr, "open", serverUrl(kDownloadPagePath).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

UpdateOwner::UpdateOwner(HWND window) : owner(window) { InitializeCriticalSection(&lock); }

UpdateOwner::~UpdateOwner() { DeleteCriticalSection(&lock); }

void UpdateOwner::release()
{
    if (references.fetch_sub(1) == 1)
        delete this;
}

HWND UpdateOwner::window()
{
    EnterCriticalSection(&lock);
    HWND current = owner;
    LeaveCriticalSection(&lock);
    return current;
}

void UpdateOwner::forgetWindow()
{
    EnterCriticalSection(&lock);
    owner = nullptr;
    LeaveCriticalSection(&lock);
}

std::uint32_t fetchLatestVersion(void* internet)
{
    DWORD timeout = kConnectTimeoutMs;
    InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
    HINTERNET url = InternetOpenUrlA(internet, serverUrl(kVersionFilePath).c_str(), nullptr, 0, kNoCacheNoUi, 0);
    if (url == nullptr) {
        InternetCloseHandle(internet);
        return 0;
    }
    // An error page (404 and the like) still opens a handle: only a 200 carries the file.
    const std::uint32_t latest = answeredOk(url) ? findOwnRecord(url) : 0;
    InternetCloseHandle(url);
    InternetCloseHandle(internet);
    return latest;
}

DWORD WINAPI checkForUpdate(LPVOID argument)
{
    auto* owner = static_cast<UpdateOwner*>(argument);
    HINTERNET internet = InternetOpenA(kUpdateCaption, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    const std::uint32_t latest = internet ? fetchLatestVersion(internet) : 0;
    answerUser(owner->window(), latest);
    owner->release();
    return 0;
}

namespace {

// Runs the check, then drops the thread's reference to the library as the
// thread exits, so the library's code never vanishes under it.
DWORD WINAPI runPinned(LPVOID owner)
{
    HMODULE library = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&runPinned), &library);
    checkForUpdate(owner);
    FreeLibraryAndExitThread(library, 0);
}

}  // namespace

HANDLE startUpdateCheck(UpdateOwner* owner)
{
    // Taken here, on the editor's thread, so the host cannot unload the
    // library before the new thread holds it.
    HMODULE library = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&runPinned), &library))
        return nullptr;
    owner->addReference();
    HANDLE thread = CreateThread(nullptr, 0, runPinned, owner, 0, nullptr);
    if (thread == nullptr) {
        owner->release();
        FreeLibrary(library);
    }
    return thread;
}

}  // namespace quenchbox::editor
