#ifndef QUENCHBOX_EDITOR_POSIX_UPDATECHECK_H
#define QUENCHBOX_EDITOR_POSIX_UPDATECHECK_H

#include <cstdint>
#include <memory>

namespace quenchbox::editor {

// The update check of the Linux build: the version file over plain HTTP/1.0
// on POSIX sockets, on a thread of its own, so the host's user-interface
// thread never waits for the network. Plain sockets rather than libcurl:
// the file is a few bytes from one fixed URL without TLS, redirects or
// proxies, and a plug-in should not bring a library with process-wide
// initialisation and a dozen dependencies into every host that loads it.
//
// The thread touches nothing of the editor: it leaves the answer in a block
// it shares with this object, which the editor's idle collects. The first
// check pins the library in memory for the rest of the process, so a host
// that unloads the plug-in while a check still waits for the network
// cannot pull the code from under the thread.
class UpdateCheck {
public:
    UpdateCheck();
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Starts a check unless one runs; answers whether one was started.
    bool start(const char* server);
    bool running() const;
    // True once for each finished check, with the version code found (0 for
    // none: no answer, no file, no record of this plug-in).
    bool takeResult(std::uint32_t& latest);

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
};

// The version code of this plug-in in http://<server>/versions.dat, 0 when
// there is none or the server cannot be reached within `timeoutMs` (connect,
// send and each read). `server` is "host" or "host:port".
std::uint32_t fetchLatestVersion(const char* server, int timeoutMs);

// Opens http://<server><path> in the desktop's browser with xdg-open,
// without waiting for it.
void openInBrowser(const char* server, const char* path);

}  // namespace quenchbox::editor

#endif
