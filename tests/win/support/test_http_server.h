// A loopback HTTP/1.1 server for tests, on its own threads inside the test
// program: serves bytes from memory, records the request paths, and misbehaves
// on demand. Each connection gets one answer and is then closed.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestHttpServer {
public:
    enum class Fault {
        NotFound,           // 404 with an HTML body
        ServerError,        // 500 with a short body
        EmptyBody,          // 200 with Content-Length: 0
        DropAfter,          // Content-Length of the whole body, then close after `n` bytes
        Stall,              // accept, read the request, answer nothing until stopped or `n` ms
        StallAfter,         // headers and `n` body bytes, then silence until stopped
        Oversize,           // 200 with `n` bytes streamed, Content-Length announced
        OversizeUnsized,    // 200 with `n` bytes streamed, no Content-Length (ends at close)
        Drip,               // Content-Length of the whole body, then one byte every `n` ms
        UnsizedKeepAlive,   // the whole body, no Content-Length, "Connection: keep-alive", then close
        UnsizedReset,       // no Content-Length, "Connection: close", `n` body bytes, then a reset
    };

    // Listens on 127.0.0.1 with a port chosen by the system.
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // A loopback port on which nothing listens (bound once, then released).
    static uint16_t ClosedPort();

    uint16_t Port() const { return port; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }

    // A 200 answer with these bytes at this path. Unknown paths get NotFound.
    void Serve(const std::string& path, std::string body);
    // A fault at this path; for DropAfter the body set by Serve is the whole body.
    void Fail(const std::string& path, Fault fault, uint64_t n = 0);

    std::vector<std::string> Requests() const;
    // The whole request heads, in the same order.
    std::vector<std::string> RequestTexts() const;
    // Body bytes the server managed to send in all answers (streamed faults included).
    uint64_t BytesSent() const;
    // When each request had arrived and when its answer had been sent
    // (QueryPerformanceCounter ticks), in the order the requests arrived.
    struct Exchange {
        std::string path;
        int64_t received = 0;
        int64_t answered = 0;
    };
    std::vector<Exchange> Exchanges() const;

private:
    struct Route {
        bool faulty = false;
        Fault fault = Fault::NotFound;
        uint64_t n = 0;
        std::string body;
    };

    void AcceptLoop();
    void Answer(SOCKET client);
    Route Lookup(const std::string& path) const;
    bool SendAll(SOCKET s, const char* data, size_t size);
    bool SendStream(SOCKET s, uint64_t size);
    void WaitForStop(DWORD ms);

    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    HANDLE stopEvent = nullptr;
    mutable std::mutex mutex;
    std::map<std::string, Route> routes;
    std::vector<std::string> requests;
    std::vector<std::string> requestTexts;
    std::vector<Exchange> exchanges;
    std::vector<SOCKET> clients;
    std::vector<std::thread> workers;
    uint64_t bytesSent = 0;
    std::thread acceptor;
};
