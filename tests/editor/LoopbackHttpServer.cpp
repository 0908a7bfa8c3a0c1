#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace editortest {

LoopbackHttpServer::LoopbackHttpServer(int port, int answerStatus, std::string answerBody, int answerDelayMs)
    : status(answerStatus), body(std::move(answerBody)), delayMs(answerDelayMs)
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
    stopping = true;
    if (server.joinable())
        server.join();
    if (socket >= 0)
        close(socket);
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
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        const std::string reason = status == 200 ? "OK" : "Not Found";
        const std::string answer = "HTTP/1.0 " + std::to_string(status) + " " + reason +
                                   "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                                   std::to_string(body.size()) + "\r\n\r\n" + body;
        send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        close(client);
        ++served;
    }
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
