#ifndef QUENCHBOX_TESTS_EDITOR_LOOPBACKHTTPSERVER_H
#define QUENCHBOX_TESTS_EDITOR_LOOPBACKHTTPSERVER_H

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace editortest {

// A one-file HTTP server on 127.0.0.1: every request gets `status` with
// `body`, then the connection closes. With Answers::whenReleased each answer
// waits until the test releases it, so that the test decides what happens
// while a request waits. Stops when destroyed.
class LoopbackHttpServer {
public:
    enum class Answers { atOnce, whenReleased };

    LoopbackHttpServer(int port, int status, std::string body, Answers answers = Answers::atOnce);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool listening() const { return socket >= 0; }
    // Requests read so far, answered or held.
    int requests() const;
    // Waits until `count` requests have been read, or answers false after
    // a deadline meant for a request that never comes.
    bool waitForRequests(int count);
    // Lets one held request have its answer; then waits until the answer
    // is sent, or answers false after the same deadline.
    bool releaseAnswer();

private:
    void serve();
    void answer(int client);

    int socket = -1;
    int status;
    std::string body;
    Answers answers;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    std::condition_variable changed;
    int received = 0;  // under lock, like the two below
    int released = 0;
    int sent = 0;
    std::thread server;
};

// The version file's record of this plug-in with `version`, after another
// plug-in's record.
std::string versionFileWith(unsigned version);

}  // namespace editortest

#endif
