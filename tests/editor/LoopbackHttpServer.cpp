#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace editortest {

namespace {

// Long enough for any loaded machine; only a request that never comes meets it.
constexpr auto kDeadline = std::chrono::seconds(30);

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(int port, int answerStatus, std::string answerBody, Answers whenAnswered)
    : status(answerStatus), body(std::move(answerBody)), answers(whenAnswered)
{
    socket = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(socket, 4) != 0) {
        close(socket);
        socket = -1;
        return;
    }
    server = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    if (server.joinable())
        server.join();
    if (socket >= 0)
        close(socket);
}

int LoopbackHttpServer::requests() const
{
    std::lock_guard<std::mutex> guard(lock);
    return received;
}

bool LoopbackHttpServer::waitForRequests(int count)
{
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, kDeadline, [&] { return received >= count; });
}

bool LoopbackHttpServer::releaseAnswer()
{
    std::unique_lock<std::mutex> guard(lock);
    const int wanted = ++released;
    changed.notify_all();
    return changed.wait_for(guard, kDeadline, [&] { return sent >= wanted; });
}

void LoopbackHttpServer::serve()
{
    while (!stopping) {
        pollfd waiting = {socket, POLLIN, 0};
        if (poll(&waiting, 1, 20) != 1)
            continue;
        const int client = accept(socket, nullptr, nullptr);
        if (client < 0)
            continue;
        char request[2048];
        recv(client, request, sizeof(request), 0);  // one GET fits
        answer(client);
        close(client);
    }
}

void LoopbackHttpServer::answer(int client)
{
    std::unique_lock<std::mutex> guard(lock);
    const int number = ++received;
    changed.notify_all();
    if (answers == Answers::whenReleased) {
        changed.wait(guard, [&] { return stopping || released >= number; });
        if (stopping)
            return;
    }
    const std::string reason = status == 200 ? "OK" : "Not Found";
    const std::string text = "HTTP/1.0 " + std::to_string(status) + " " + reason +
                             "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body;
    send(client, text.data(), text.size(), MSG_NOSIGNAL);
    ++sent;
    changed.notify_all();
}

std::string versionFileWith(unsigned version)
{
    std::string file("ABCD\x01\x02\x03\x04", 8);  // another plug-in's record first
    file += "YLPT";
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>((version >> shift) & 0xFF);
    return file;
}

}  // namespace editortest
