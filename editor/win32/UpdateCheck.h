#ifndef QUENCHBOX_EDITOR_WIN32_UPDATECHECK_H
#define QUENCHBOX_EDITOR_WIN32_UPDATECHECK_H

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace quenchbox::editor {

// What the update check's thread shares with the editor: the window that
// owns its message boxes. Both hold a reference; the editor clears the
// window when it goes away, and whichever lets go last frees the block, so
// the thread never touches freed editor memory.
class UpdateOwner {
public:
    explicit UpdateOwner(HWND window);
    UpdateOwner(const UpdateOwner&) = delete;
    UpdateOwner& operator=(const UpdateOwner&) = delete;

    void addReference() { references.fetch_add(1); }
    void release();

    HWND window();
    void forgetWindow();

private:
    ~UpdateOwner();

    std::atomic<int> references{1};
    CRITICAL_SECTION lock;
    HWND owner;
};

// Starts the check on a thread of its own, which keeps the plug-in library
// loaded until it has finished (the host may unload it meanwhile). Answers
// the thread's handle, or null when none could be started.
HANDLE startUpdateCheck(UpdateOwner* owner);

// The thread routine: fetches the version file, answers in a message box.
DWORD WINAPI checkForUpdate(LPVOID owner);

// The version code of this plug-in's record in the maker's version file, 0
// when there is none (or no file). Closes `internet` before returning.
std::uint32_t fetchLatestVersion(void* internet);

}  // namespace quenchbox::editor

#endif
