#include "editor/posix/UpdateCheck.h"

#include "editor/VersionFile.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace quenchbox::editor {

struct UpdateCheck::Shared {
    std::atomic<bool> running{false};
    std::atomic<bool> finished{false};
    std::atomic<std::uint32_t> latest{0};
};

namespace {

constexpr std::size_t kLargestAnswer = 1 << 16;  // the file is a few records; more is not it

// Keeps this library mapped until the process ends (a thread of ours may
// still run after the host has let go of the plug-in).
void pinLibrary()
{
    static std::once_flag pinned;
    std::call_once(pinned, [] {
        Dl_info self = {};
        if (dladdr(reinterpret_cast<void*>(&pinLibrary), &self) == 0 || self.dli_fname == nullptr)
            return;
        if (void* handle = dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
            dlclose(handle);
    });
}

void splitServer(const char* server, std::string& host, std::string& port)
{
    host = server;
    port = "80";
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos) {
        port = host.substr(colon + 1);
        host.erase(colon);
    }
}

bool waitFor(int socket, short events, int timeoutMs)
{
    pollfd entry = {socket, events, 0};
    return poll(&entry, 1, timeoutMs) == 1 && (entry.revents & events) != 0;
}

// A connected socket with send and receive time-outs, or -1.
int connectWithin(const addrinfo& address, int timeoutMs)
{
    const int socket = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
    if (socket < 0)
        return -1;
    const int flags = fcntl(socket, F_GETFL);
    fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    bool connected = ::connect(socket, address.ai_addr, address.ai_addrlen) == 0;
    if (!connected && errno == EINPROGRESS && waitFor(socket, POLLOUT, timeoutMs)) {
        int error = 0;
        socklen_t length = sizeof(error);
        connected = getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    if (!connected) {
        close(socket);
        return -1;
    }
    fcntl(socket, F_SETFL, flags);
    const timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    return socket;
}

int connectToServer(const char* server, int timeoutMs)
{
    std::string host;
    std::string port;
    splitServer(server, host, port);
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses) != 0)
        return -1;
    int socket = -1;
    for (const addrinfo* address = addresses; address != nullptr && socket < 0; address = address->ai_next)
        socket = connectWithin(*address, timeoutMs);
    freeaddrinfo(addresses);
    return socket;
}

bool sendAll(int socket, const std::string& request)
{
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// The whole answer, up to the server closing the connection (HTTP/1.0).
std::string receiveAll(int socket)
{
    std::string answer;
    char chunk[4096];
    while (answer.size() < kLargestAnswer) {
        const ssize_t n = recv(socket, chunk, sizeof(chunk), 0);
        if (n <= 0)
            break;
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    return answer;
}

// The body of a "200" answer; empty for any other status.
std::string bodyOf(const std::string& answer)
{
    const std::size_t lineEnd = answer.find("\r\n");
    const std::size_t headersEnd = answer.find("\r\n\r\n");
    if (lineEnd == std::string::npos || headersEnd == std::string::npos || answer.compare(0, 5, "HTTP/") != 0)
        return {};
    const std::size_t space = answer.find(' ');
    if (space == std::string::npos || space > lineEnd || answer.compare(space + 1, 3, "200") != 0)
        return {};
    return answer.substr(headersEnd + 4);
}

}  // namespace

std::uint32_t fetchLatestVersion(const char* server, int timeoutMs)
{
    const int socket = connectToServer(server, timeoutMs);
    if (socket < 0)
        return 0;
    const std::string request = std::string("GET ") + kVersionFilePath + " HTTP/1.0\r\nHost: " + server +
                                "\r\nUser-Agent: " + kUpdateCaption +
                                "\r\nCache-Control: no-cache\r\nPragma: no-cache\r\nConnection: close\r\n\r\n";
    std::string body;
    if (sendAll(socket, request))
        body = bodyOf(receiveAll(socket));
    close(socket);
    return findOwnVersion(reinterpret_cast<const unsigned char*>(body.data()), body.size());
}

UpdateCheck::UpdateCheck() : shared(std::make_shared<Shared>()) {}

// The thread keeps its own reference to the shared block and ends by itself.
UpdateCheck::~UpdateCheck() = default;

bool UpdateCheck::running() const { return shared->running.load(); }

bool UpdateCheck::start(const char* server)
{
    if (shared->running.load())
        return false;
    pinLibrary();
    shared->running.store(true);
    std::shared_ptr<Shared> block = shared;
    std::string where = server;
    try {
        std::thread([block, where] {
            block->latest.store(fetchLatestVersion(where.c_str(), kUpdateConnectTimeoutMs));
            block->finished.store(true);
            block->running.store(false);
        }).detach();
    } catch (const std::system_error&) {
        shared->running.store(false);
        return false;
    }
    return true;
}

bool UpdateCheck::takeResult(std::uint32_t& latest)
{
    if (!shared->finished.exchange(false))
        return false;
    latest = shared->latest.load();
    return true;
}

void openInBrowser(const char* server, const char* path)
{
    pinLibrary();
    const std::string url = std::string("http://") + server + path;
    // A short thread of its own reaps the opener, so no zombie is left.
    try {
        std::thread([url] {
            std::vector<char> argument(url.begin(), url.end());
            argument.push_back('\0');
            char program[] = "xdg-open";
            char* arguments[] = {program, argument.data(), nullptr};
            pid_t child = 0;
            if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) == 0)
                waitpid(child, nullptr, 0);
        }).detach();
    } catch (const std::system_error&) {
    }
}

}  // namespace quenchbox::editor
