// The loopback data server of the first-chart bench: one thread, started
// before any timing, accepts each connection and answers it whole, as a
// server in its own process would. (The tests' server starts a thread per
// connection, which under Wine costs about as much as the exchange itself.)
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DayServer {
public:
    struct Exchange {
        int64_t received = 0;   // QueryPerformanceCounter ticks: the request read
        int64_t answered = 0;   // and the answer sent
    };

    DayServer();   // listens on 127.0.0.1, a port chosen by the system
    ~DayServer();
    DayServer(const DayServer&) = delete;
    DayServer& operator=(const DayServer&) = delete;

    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    // Set before the first request: a 200 answer with these bytes. Other paths get 404.
    void Serve(const std::string& path, std::string body) { bodies[path] = std::move(body); }
    std::vector<Exchange> Exchanges() const;

private:
    void Loop();
    void Answer(SOCKET client);

    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::map<std::string, std::string> bodies;
    mutable std::mutex mutex;
    std::vector<Exchange> exchanges;
    std::thread thread;
};
