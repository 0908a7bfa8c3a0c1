#include <winsock2.h>
#include <ws2tcpip.h>

#include "LoopbackHttpServer.h"

#include <string>

namespace wintest {

namespace {

std::string readRequestHead(SOCKET client)
{
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int received = recv(client, buffer, sizeof(buffer), 0);
        if (received <= 0)
            break;
        request.append(buffer, received);
    }
    return request;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(unsigned short port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL reuse = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 8) != 0) {
        closesocket(listener);
        listener = INVALID_SOCKET;
        return;
    }
    acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping = true;
    holding = false;
    if (listener != INVALID_SOCKET)
        closesocket(listener);
    if (acceptor.joinable())
        acceptor.join();
    WSACleanup();
}

void LoopbackHttpServer::serve(int newStatus, const std::string& newBody)
{
    std::lock_guard<std::mutex> guard(answerLock);
    status = newStatus;
    body = newBody;
}

void LoopbackHttpServer::acceptLoop()
{
    while (!stopping) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        answer(client);
        closesocket(client);
    }
}

void LoopbackHttpServer::answer(Socket client)
{
    readRequestHead(client);
    ++requestCount;
    while (holding && !stopping)
        Sleep(5);
    std::string response;
    {
        std::lock_guard<std::mutex> guard(answerLock);
        response = "HTTP/1.0 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found")
                   + "\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size())
                   + "\r\nConnection: close\r\n\r\n" + body;
    }
    send(client, response.data(), static_cast<int>(response.size()), 0);
    shutdown(client, SD_SEND);
}

}  // namespace wintest
