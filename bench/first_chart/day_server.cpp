#include "bench/first_chart/day_server.h"

namespace {

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

bool SendAll(SOCKET s, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        int n = send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}   // namespace

DayServer::DayServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Loop(); });
}

DayServer::~DayServer() {
    closesocket(listener);   // ends accept()
    if (thread.joinable()) thread.join();
    WSACleanup();
}

std::vector<DayServer::Exchange> DayServer::Exchanges() const {
    std::lock_guard<std::mutex> lock(mutex);
    return exchanges;
}

void DayServer::Loop() {
    for (SOCKET client; (client = accept(listener, nullptr, nullptr)) != INVALID_SOCKET;) {
        Answer(client);
        closesocket(client);
    }
}

void DayServer::Answer(SOCKET client) {
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, static_cast<size_t>(got));
    }
    const int64_t received = Ticks();
    // "GET /path HTTP/1.1"
    const size_t from = request.find(' ') + 1;
    const std::string path = request.substr(from, request.find(' ', from) - from);
    const auto found = bodies.find(path);
    const std::string body = found != bodies.end() ? found->second : std::string("not found");
    const std::string head =
        std::string(found != bodies.end() ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
        "\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n";
    SendAll(client, head + body);
    shutdown(client, SD_SEND);
    std::lock_guard<std::mutex> lock(mutex);
    exchanges.push_back({received, Ticks()});
}
