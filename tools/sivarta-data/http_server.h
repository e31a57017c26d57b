// The data server's HTTP layer: an event-driven server (GNU libmicrohttpd,
// epoll) that holds hostile clients to fixed limits before any route sees a
// request. A route answers at once or later from another thread (the reply
// is called exactly once); a streamed answer pulls its bytes as they come.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct MHD_Connection;
struct MHD_Daemon;

struct HttpLimits {
    size_t maxConnections = 4096;
    size_t maxPerClient = 256;
    unsigned idleSeconds = 15;        // a connection without traffic for this long is closed
    size_t maxHeadBytes = 16 << 10;   // request line and headers: 431 beyond
    size_t maxHeaderLines = 100;
    size_t maxBodyBytes = 64 << 10;   // a declared body above: 413, never read
    unsigned backlog = 1024;
    unsigned ioThreads = 0;   // 0: one per hardware thread, at most 4
};

struct HttpRequest {
    std::string method;
    std::string path;                                         // percent-decoded, without the query
    std::vector<std::pair<std::string, std::string>> query;   // decoded, in order, repeats kept
    MHD_Connection* connection = nullptr;

    std::optional<std::string> Header(const char* name) const;
};

// A body produced over time (Server-Sent Events). Pull is called on the
// server's thread; Wake (given by the server) may be called from any thread.
class HttpStream {
public:
    virtual ~HttpStream() = default;
    // Bytes pending for the client, up to `max`: a count, 0 when there is
    // nothing yet (the connection sleeps until the wake), -1 to end the body.
    virtual ssize_t Pull(char* out, size_t max) = 0;
    void SetWake(std::function<void()> wake) {
        std::lock_guard<std::mutex> hold(wakeLock);
        wakeFn = std::move(wake);
    }

protected:
    void Wake() {
        std::function<void()> wake;
        {
            std::lock_guard<std::mutex> hold(wakeLock);
            wake = wakeFn;
        }
        if (wake) wake();
    }

private:
    std::mutex wakeLock;
    std::function<void()> wakeFn;
};

struct HttpAnswer {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::shared_ptr<const std::string> body;   // or, for a file:
    int fd = -1;                               // owned: the server closes it
    uint64_t offset = 0, length = 0;
    std::shared_ptr<HttpStream> stream;   // or a streamed body

    static HttpAnswer Text(int status, std::string text);
    static HttpAnswer Status(int status) {
        HttpAnswer answer;
        answer.status = status;
        return answer;
    }
    HttpAnswer& With(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
};

using HttpReply = std::function<void(HttpAnswer)>;
using HttpHandler = std::function<void(const HttpRequest&, HttpReply)>;

class HttpServer {
public:
    HttpServer(HttpLimits limits, HttpHandler handler, std::vector<std::pair<std::string, std::string>> everyAnswer);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on host:port (port 0: a free one); the bound port, or nullopt
    // with the reason printed.
    std::optional<int> Listen(const std::string& host, int port);
    // Stops: no new connections, waits a moment for answers in flight, then closes all.
    void Stop();

    struct State;

private:
    std::unique_ptr<State> state;
};
