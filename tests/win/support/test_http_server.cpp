#include "win/support/test_http_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>

namespace {

const char kNotFoundPage[] = "<html><body><h1>404 Not Found</h1></body></html>";

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

std::string StatusHead(int status, const char* reason, const uint64_t* length, const char* connection = "close") {
    char head[256];
    int n = std::snprintf(head, sizeof head, "HTTP/1.1 %d %s\r\nContent-Type: application/octet-stream\r\n", status,
                          reason);
    std::string text(head, n);
    if (length) text += "Content-Length: " + std::to_string(*length) + "\r\n";
    return text + "Connection: " + connection + "\r\n\r\n";
}

// Ends the connection with a reset instead of an orderly close.
void Reset(SOCKET s) {
    linger hard{1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
}

// The path of "GET /path HTTP/1.1".
std::string RequestPath(const std::string& request) {
    size_t start = request.find(' ');
    if (start == std::string::npos) return {};
    size_t end = request.find(' ', start + 1);
    return request.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

}   // namespace

TestHttpServer::TestHttpServer() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int size = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(listener, SOMAXCONN) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &size) == 0) {
        port = ntohs(addr.sin_port);
    }
    acceptor = std::thread([this] { AcceptLoop(); });
}

uint16_t TestHttpServer::ClosedPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof addr;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

TestHttpServer::~TestHttpServer() {
    SetEvent(stopEvent);
    closesocket(listener);   // ends accept()
    acceptor.join();
    {
        // Wakes workers blocked in recv or send.
        std::lock_guard<std::mutex> lock(mutex);
        for (SOCKET s : clients) shutdown(s, SD_BOTH);
    }
    for (std::thread& worker : workers) worker.join();
    CloseHandle(stopEvent);
    WSACleanup();
}

void TestHttpServer::Serve(const std::string& path, std::string body) {
    std::lock_guard<std::mutex> lock(mutex);
    Route& route = routes[path];
    route.faulty = false;
    route.body = std::move(body);
}

void TestHttpServer::Fail(const std::string& path, Fault fault, uint64_t n) {
    std::lock_guard<std::mutex> lock(mutex);
    Route& route = routes[path];
    route.faulty = true;
    route.fault = fault;
    route.n = n;
}

std::vector<std::string> TestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

std::vector<std::string> TestHttpServer::RequestTexts() const {
    std::lock_guard<std::mutex> lock(mutex);
    return requestTexts;
}

std::vector<TestHttpServer::Exchange> TestHttpServer::Exchanges() const {
    std::lock_guard<std::mutex> lock(mutex);
    return exchanges;
}

uint64_t TestHttpServer::BytesSent() const {
    std::lock_guard<std::mutex> lock(mutex);
    return bytesSent;
}

void TestHttpServer::AcceptLoop() {
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::lock_guard<std::mutex> lock(mutex);
        if (WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0) {
            closesocket(client);
            return;
        }
        clients.push_back(client);
        workers.emplace_back([this, client] { Answer(client); });
    }
}

TestHttpServer::Route TestHttpServer::Lookup(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = routes.find(path);
    if (found != routes.end()) return found->second;
    Route missing;
    missing.faulty = true;
    missing.fault = Fault::NotFound;
    return missing;
}

bool TestHttpServer::SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        int sent = send(s, data, static_cast<int>(std::min<size_t>(size, 65536)), 0);
        if (sent <= 0) return false;
        data += sent;
        size -= sent;
    }
    return true;
}

// Zeros in 64 KiB pieces: large answers are never held in memory.
bool TestHttpServer::SendStream(SOCKET s, uint64_t size) {
    static const std::string piece(65536, '\0');
    while (size > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(size, piece.size()));
        if (!SendAll(s, piece.data(), n)) return false;
        size -= n;
        std::lock_guard<std::mutex> lock(mutex);
        bytesSent += n;
    }
    return true;
}

void TestHttpServer::WaitForStop(DWORD ms) {
    WaitForSingleObject(stopEvent, ms);
}

void TestHttpServer::Answer(SOCKET client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, got);
    }
    std::string path = RequestPath(request);
    size_t exchange = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(path);
        requestTexts.push_back(request);
        exchange = exchanges.size();
        exchanges.push_back({path, Ticks(), 0});
    }
    Route route = Lookup(path);
    uint64_t length = route.body.size();
    auto sendBody = [&](const std::string& body) {
        if (SendAll(client, body.data(), body.size())) {
            std::lock_guard<std::mutex> lock(mutex);
            bytesSent += body.size();
        }
    };
    if (!route.faulty) {
        std::string head = StatusHead(200, "OK", &length);
        if (SendAll(client, head.data(), head.size())) sendBody(route.body);
    } else {
        switch (route.fault) {
        case Fault::NotFound: {
            std::string body = kNotFoundPage;
            uint64_t n = body.size();
            std::string head = StatusHead(404, "Not Found", &n);
            if (SendAll(client, head.data(), head.size())) sendBody(body);
            break;
        }
        case Fault::ServerError: {
            std::string body = "internal error";
            uint64_t n = body.size();
            std::string head = StatusHead(500, "Internal Server Error", &n);
            if (SendAll(client, head.data(), head.size())) sendBody(body);
            break;
        }
        case Fault::EmptyBody: {
            uint64_t n = 0;
            std::string head = StatusHead(200, "OK", &n);
            SendAll(client, head.data(), head.size());
            break;
        }
        case Fault::DropAfter: {
            std::string head = StatusHead(200, "OK", &length);
            if (SendAll(client, head.data(), head.size()))
                sendBody(route.body.substr(0, static_cast<size_t>(std::min<uint64_t>(route.n, length))));
            break;
        }
        case Fault::Stall:
            WaitForStop(route.n ? static_cast<DWORD>(route.n) : INFINITE);
            break;
        case Fault::StallAfter: {
            std::string head = StatusHead(200, "OK", &length);
            if (SendAll(client, head.data(), head.size()))
                sendBody(route.body.substr(0, static_cast<size_t>(std::min<uint64_t>(route.n, length))));
            WaitForStop(INFINITE);
            break;
        }
        case Fault::Drip: {
            std::string head = StatusHead(200, "OK", &length);
            if (!SendAll(client, head.data(), head.size())) break;
            for (char c : route.body) {
                if (WaitForSingleObject(stopEvent, static_cast<DWORD>(route.n)) == WAIT_OBJECT_0) break;
                if (!SendAll(client, &c, 1)) break;
                std::lock_guard<std::mutex> lock(mutex);
                ++bytesSent;
            }
            break;
        }
        case Fault::UnsizedKeepAlive: {
            std::string head = StatusHead(200, "OK", nullptr, "keep-alive");
            if (SendAll(client, head.data(), head.size())) sendBody(route.body);
            break;
        }
        case Fault::UnsizedReset: {
            std::string head = StatusHead(200, "OK", nullptr);
            if (SendAll(client, head.data(), head.size()))
                sendBody(route.body.substr(0, static_cast<size_t>(std::min<uint64_t>(route.n, length))));
            Sleep(100);   // the bytes leave before the reset does
            Reset(client);
            break;
        }
        case Fault::Oversize:
        case Fault::OversizeUnsized: {
            std::string head = StatusHead(200, "OK", route.fault == Fault::Oversize ? &route.n : nullptr);
            if (SendAll(client, head.data(), head.size())) SendStream(client, route.n);
            break;
        }
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        exchanges[exchange].answered = Ticks();
    }
    // An orderly end would hide the reset.
    if (!route.faulty || route.fault != Fault::UnsizedReset) shutdown(client, SD_SEND);
    std::lock_guard<std::mutex> lock(mutex);
    closesocket(client);
    clients.erase(std::find(clients.begin(), clients.end(), client));
}
