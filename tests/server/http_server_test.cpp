// The HTTP layer in-process: answers given later from other threads and
// streams woken from another thread, under concurrent clients (the tsan
// tree runs this under ThreadSanitizer).
#include "tools/sivarta-data/http_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

int Connect(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads until `marker` has been seen `count` times or the peer stops.
std::string ReadUntil(int fd, const std::string& marker, int count) {
    std::string got;
    char buffer[4096];
    auto seen = [&] {
        int n = 0;
        for (size_t at = got.find(marker); at != std::string::npos; at = got.find(marker, at + 1)) ++n;
        return n;
    };
    while (seen() < count) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

class Ticker : public HttpStream {
public:
    ssize_t Pull(char* out, size_t max) override {
        const int n = due.exchange(0);
        if (n == 0) return ended ? -1 : 0;
        std::string text;
        for (int i = 0; i < n; ++i) text += "tick\n";
        const size_t size = std::min(max, text.size());
        std::memcpy(out, text.data(), size);
        return static_cast<ssize_t>(size);
    }
    void Tick() {
        ++due;
        Wake();
    }
    std::atomic<int> due{0};
    std::atomic<bool> ended{false};
};

TEST(HttpServer, AnswersFromOtherThreadsReachTheirOwnClients) {
    std::vector<std::thread> workers;
    std::mutex workersLock;
    HttpServer server({},
                      [&](const HttpRequest& req, HttpReply reply) {
                          // Half the answers come later from a worker, half at once.
                          const std::string path = req.path;
                          if (path.size() % 2) return reply(HttpAnswer::Text(200, path));
                          std::lock_guard<std::mutex> hold(workersLock);
                          workers.emplace_back([path, reply = std::move(reply)] {
                              std::this_thread::sleep_for(std::chrono::milliseconds(2));
                              reply(HttpAnswer::Text(200, path));
                          });
                      },
                      {{"X-Every", "yes"}});
    const auto port = server.Listen("127.0.0.1", 0);
    ASSERT_TRUE(port);

    std::atomic<int> right{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c) {
        clients.emplace_back([&, c] {
            const int fd = Connect(*port);
            ASSERT_GE(fd, 0);
            std::string requests;
            for (int i = 0; i < 20; ++i)
                requests += "GET /c" + std::to_string(c) + "/" + std::to_string(i * 7) + " HTTP/1.1\r\nHost: t\r\n\r\n";
            ASSERT_EQ(send(fd, requests.data(), requests.size(), 0), static_cast<ssize_t>(requests.size()));
            const std::string got = ReadUntil(fd, "X-Every: yes", 20);
            // In order, each with its own path.
            size_t at = 0;
            for (int i = 0; i < 20; ++i) {
                at = got.find("\r\n\r\n/c" + std::to_string(c) + "/" + std::to_string(i * 7) + "\n", at);
                if (at == std::string::npos) break;
                ++right;
            }
            close(fd);
        });
    }
    for (auto& t : clients) t.join();
    EXPECT_EQ(right, 8 * 20);
    server.Stop();
    for (auto& t : workers) t.join();
}

TEST(HttpServer, StreamsSleepUntilWokenFromAnotherThread) {
    auto ticker = std::make_shared<Ticker>();
    HttpServer server({},
                      [&](const HttpRequest&, HttpReply reply) {
                          HttpAnswer answer;
                          answer.stream = ticker;
                          reply(std::move(answer));
                      },
                      {});
    const auto port = server.Listen("127.0.0.1", 0);
    ASSERT_TRUE(port);
    const int fd = Connect(*port);
    ASSERT_GE(fd, 0);
    const std::string request = "GET /s HTTP/1.1\r\nHost: t\r\n\r\n";
    ASSERT_EQ(send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
    std::thread waker([&] {
        for (int i = 0; i < 30; ++i) {
            ticker->Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        ticker->ended = true;
        ticker->Tick();
    });
    const std::string got = ReadUntil(fd, "tick", 31);
    waker.join();
    int ticks = 0;
    for (size_t at = got.find("tick"); at != std::string::npos; at = got.find("tick", at + 1)) ++ticks;
    EXPECT_EQ(ticks, 31);
    close(fd);
    server.Stop();
}

}   // namespace
