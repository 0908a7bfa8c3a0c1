#ifndef QUENCHBOX_TESTS_EDITOR_LOOPBACKHTTPSERVER_H
#define QUENCHBOX_TESTS_EDITOR_LOOPBACKHTTPSERVER_H

#include <atomic>
#include <string>
#include <thread>

namespace editortest {

// A one-file HTTP server on 127.0.0.1: every request gets `status` with
// `body` after `delayMs`, then the connection closes. Stops when destroyed.
class LoopbackHttpServer {
public:
    LoopbackHttpServer(int port, int status, std::string body, int delayMs = 0);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool listening() const { return socket >= 0; }
    int requests() const { return served.load(); }

private:
    void serve();

    int socket = -1;
    int status;
    std::string body;
    int delayMs;
    std::atomic<bool> stopping{false};
    std::atomic<int> served{0};
    std::thread server;
};

// The version file's record of this plug-in with `version`, after another
// plug-in's record.
std::string versionFileWith(unsigned version);

}  // namespace editortest

#endif
