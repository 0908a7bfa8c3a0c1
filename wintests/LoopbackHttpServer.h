#ifndef QUENCHBOX_WINTESTS_LOOPBACKHTTPSERVER_H
#define QUENCHBOX_WINTESTS_LOOPBACKHTTPSERVER_H

// A minimal HTTP server on 127.0.0.1 for the update check: every request is
// answered with the status and body set last, after an optional hold that
// lets a test keep a check pending.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace wintest {

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(unsigned short port);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool listening() const { return listener != kNoSocket; }
    void serve(int status, const std::string& body);
    // While held, requests wait for their answer.
    void hold(bool on) { holding = on; }
    int requests() const { return requestCount; }

private:
    void acceptLoop();
    // A Winsock SOCKET, kept out of this header so that it needs no
    // winsock2.h before windows.h in every includer.
    using Socket = std::uintptr_t;
    static constexpr Socket kNoSocket = ~Socket{0};

    void answer(Socket client);

    Socket listener = kNoSocket;
    std::mutex answerLock;
    int status = 404;
    std::string body;
    std::atomic<bool> holding{false};
    std::atomic<bool> stopping{false};
    std::atomic<int> requestCount{0};
    std::thread acceptor;
};

}  // namespace wintest

#endif
