#include "tools/sivarta-data/http_server.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "tools/sivarta-data/http_rules.h"

namespace {

// What a connection's current request has reached. The answer may come
// from another thread; the connection sleeps (suspended) until it does.
struct Exchange {
    std::string target;   // as the client sent it
    bool screened = false, dispatched = false;
    std::mutex lock;
    std::optional<HttpAnswer> answer;
    bool suspended = false;
    MHD_Connection* connection = nullptr;
    std::string method, loggedPath;
};

// Prints a client's text in a log line: printable ASCII only, the rest as %XX.
std::string Printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text.substr(0, 512)) {
        if (c > 0x20 && c < 0x7f && c != '%') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

struct HeadSize {
    size_t lines = 0, bytes = 0;
};

MHD_Result CountHeader(void* cls, MHD_ValueKind, const char* name, const char* value) {
    auto* size = static_cast<HeadSize*>(cls);
    ++size->lines;
    size->bytes += std::strlen(name) + (value ? std::strlen(value) : 0) + 4;
    return MHD_YES;
}

}   // namespace

std::optional<std::string> HttpRequest::Header(const char* name) const {
    const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    if (!value) return std::nullopt;
    return std::string(value);
}

HttpAnswer HttpAnswer::Text(int status, std::string text) {
    HttpAnswer answer;
    answer.status = status;
    answer.body = std::make_shared<const std::string>(std::move(text) + "\n");
    answer.headers.emplace_back("Content-Type", "text/plain; charset=utf-8");
    return answer;
}

// A streamed answer's tie to its connection: the stream is pulled on the
// server's thread; a wake from elsewhere resumes the sleeping connection.
struct StreamBinding {
    std::shared_ptr<HttpStream> stream;
    MHD_Connection* connection = nullptr;
    HttpServer::State* server = nullptr;
    std::mutex lock;
    bool suspended = false;
    bool woken = false;
    void Wake();
};

struct HttpServer::State {
    HttpLimits limits;
    HttpHandler handler;
    std::vector<std::pair<std::string, std::string>> everyAnswer;
    MHD_Daemon* daemon = nullptr;
    std::atomic<int> sleeping{0};   // suspended connections: all must wake before the daemon stops
    std::mutex logLock;
    std::map<std::string, std::chrono::steady_clock::time_point> lastNotice;

    void Suspend(MHD_Connection* connection) {
        ++sleeping;
        MHD_suspend_connection(connection);
    }
    void Resume(MHD_Connection* connection) {
        MHD_resume_connection(connection);
        --sleeping;
    }

    void LogAnswer(const Exchange& ex, int status, uint64_t bytes) {
        std::lock_guard<std::mutex> hold(logLock);
        std::cout << ex.method << " " << ex.loggedPath << " " << status << " " << bytes << std::endl;
    }

    // The library's notices (a limit reached, a client cut off) at most once a
    // second each, so a flood cannot fill the log.
    void Notice(const char* text) {
        std::string line(text);
        while (!line.empty() && line.back() == '\n') line.pop_back();
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> hold(logLock);
        auto& last = lastNotice[line];
        if (now - last < std::chrono::seconds(1)) return;
        last = now;
        std::cerr << "sivarta-data serve: " << line << std::endl;
    }

    MHD_Result Queue(Exchange& ex, HttpAnswer answer);
    std::optional<HttpAnswer> Screen(MHD_Connection* connection, Exchange& ex);
    MHD_Result Dispatch(MHD_Connection* connection, const std::shared_ptr<Exchange>& ex);
};

void StreamBinding::Wake() {
    std::lock_guard<std::mutex> hold(lock);
    if (!suspended) {
        woken = true;
        return;
    }
    suspended = false;
    server->Resume(connection);
}

namespace {

ssize_t PullStream(void* cls, uint64_t, char* out, size_t max) {
    auto& binding = **static_cast<std::shared_ptr<StreamBinding>*>(cls);
    const ssize_t n = binding.stream->Pull(out, max);
    if (n < 0) return MHD_CONTENT_READER_END_OF_STREAM;
    if (n > 0) return n;
    std::lock_guard<std::mutex> hold(binding.lock);
    if (binding.woken) {
        binding.woken = false;   // something came meanwhile: pull again at once
        return 0;
    }
    binding.suspended = true;
    binding.server->Suspend(binding.connection);
    return 0;
}

void FreeStream(void* cls) {
    delete static_cast<std::shared_ptr<StreamBinding>*>(cls);
}

void FreeBody(void* cls) {
    delete static_cast<std::shared_ptr<const std::string>*>(cls);
}

}   // namespace

MHD_Result HttpServer::State::Queue(Exchange& ex, HttpAnswer answer) {
    MHD_Response* response = nullptr;
    uint64_t bytes = 0;
    if (answer.stream) {
        auto binding = std::make_shared<StreamBinding>();
        binding->stream = answer.stream;
        binding->connection = ex.connection;
        binding->server = this;
        answer.stream->SetWake([weak = std::weak_ptr<StreamBinding>(binding)] {
            if (auto b = weak.lock()) b->Wake();
        });
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, PullStream,
                                                     new std::shared_ptr<StreamBinding>(binding), FreeStream);
    } else if (answer.fd >= 0) {
        bytes = answer.length;
        response = MHD_create_response_from_fd_at_offset64(answer.length, answer.fd, answer.offset);
        if (!response) close(answer.fd);
    } else if (answer.body && !answer.body->empty()) {
        bytes = answer.body->size();
        auto* holder = new std::shared_ptr<const std::string>(answer.body);
        response = MHD_create_response_from_buffer_with_free_callback_cls(
            answer.body->size(), const_cast<char*>(answer.body->data()), FreeBody, holder);
        if (!response) delete holder;
    } else {
        response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
    }
    if (!response) return MHD_NO;
    for (const auto& [name, value] : everyAnswer) MHD_add_response_header(response, name.c_str(), value.c_str());
    for (const auto& [name, value] : answer.headers) MHD_add_response_header(response, name.c_str(), value.c_str());
    const MHD_Result queued = MHD_queue_response(ex.connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    LogAnswer(ex, answer.status, ex.method == "HEAD" ? 0 : bytes);
    return queued;
}

// Refusals made before any route sees the request: an oversized head, a
// body where none belongs or above the limit, a method other than GET/HEAD.
// Each closes the connection, so no unread byte is taken for a next request.
std::optional<HttpAnswer> HttpServer::State::Screen(MHD_Connection* connection, Exchange& ex) {
    HeadSize head;
    head.bytes = ex.method.size() + ex.target.size() + 12;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, CountHeader, &head);
    const auto refuse = [](int status, std::string text) {
        return HttpAnswer::Text(status, std::move(text)).With("Connection", "close");
    };
    if (head.lines > limits.maxHeaderLines || head.bytes > limits.maxHeadBytes)
        return refuse(431, "request head too large: at most " + std::to_string(limits.maxHeadBytes) + " bytes and " +
                               std::to_string(limits.maxHeaderLines) + " header lines");
    const char* lengthText = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
    const bool chunked = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding") != nullptr;
    const auto length = lengthText ? ParseDecimal(lengthText) : std::optional<uint64_t>(0);
    if (!length) return refuse(400, "bad Content-Length");
    if (chunked || *length > limits.maxBodyBytes)
        return refuse(413,
                      "request body refused: at most " + std::to_string(limits.maxBodyBytes) + " bytes, with a length");
    if (ex.method != "GET" && ex.method != "HEAD")
        return refuse(405, "only GET and HEAD are served").With("Allow", "GET, HEAD");
    if (*length > 0) return refuse(400, "a GET or HEAD request carries no body");
    return std::nullopt;
}

MHD_Result HttpServer::State::Dispatch(MHD_Connection* connection, const std::shared_ptr<Exchange>& ex) {
    HttpRequest request;
    request.method = ex->method;
    request.connection = connection;
    if (auto fault = SplitTarget(ex->target, request.path, request.query)) {
        return Queue(*ex, HttpAnswer::Text(400, *fault));
    }
    ex->loggedPath = Printable(request.path);
    handler(request, [ex, this](HttpAnswer answer) {
        std::lock_guard<std::mutex> hold(ex->lock);
        ex->answer = std::move(answer);
        if (ex->suspended) {
            ex->suspended = false;
            Resume(ex->connection);
        }
    });
    std::unique_lock<std::mutex> hold(ex->lock);
    if (ex->answer) {
        HttpAnswer answer = std::move(*ex->answer);
        ex->answer.reset();
        hold.unlock();
        return Queue(*ex, std::move(answer));
    }
    ex->suspended = true;
    Suspend(connection);
    return MHD_YES;
}

namespace {

void* OnTarget(void*, const char* target, MHD_Connection*) {
    auto* ex = new std::shared_ptr<Exchange>(std::make_shared<Exchange>());
    (*ex)->target = target ? target : "";
    (*ex)->loggedPath = Printable((*ex)->target);
    return ex;
}

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char*, const char* method, const char*, const char*,
                     size_t* uploadSize, void** context) {
    auto& server = *static_cast<HttpServer::State*>(cls);
    if (!*context) *context = OnTarget(nullptr, "", connection);
    const std::shared_ptr<Exchange> ex = *static_cast<std::shared_ptr<Exchange>*>(*context);
    // The head first: a refusal is queued at once and closes the connection,
    // so no body is read. Otherwise the route answers on the next call, once
    // the (empty) request is complete, and the connection may be kept.
    if (!ex->screened) {
        ex->screened = true;
        ex->method = method;
        ex->connection = connection;
        if (auto refusal = server.Screen(connection, *ex)) return server.Queue(*ex, std::move(*refusal));
        return MHD_YES;
    }
    if (*uploadSize) {
        *uploadSize = 0;   // a body past the screen: dropped
        return MHD_YES;
    }
    if (!ex->dispatched) {
        ex->dispatched = true;
        return server.Dispatch(connection, ex);
    }
    std::unique_lock<std::mutex> hold(ex->lock);
    if (!ex->answer) return MHD_YES;
    HttpAnswer answer = std::move(*ex->answer);
    ex->answer.reset();
    hold.unlock();
    return server.Queue(*ex, std::move(answer));
}

void OnCompleted(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<std::shared_ptr<Exchange>*>(*context);
    *context = nullptr;
}

void OnNotice(void* cls, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    static_cast<HttpServer::State*>(cls)->Notice(text);
}

}   // namespace

HttpServer::HttpServer(HttpLimits limits, HttpHandler handler,
                       std::vector<std::pair<std::string, std::string>> everyAnswer)
    : state(std::make_unique<State>()) {
    state->limits = limits;
    state->handler = std::move(handler);
    state->everyAnswer = std::move(everyAnswer);
}

HttpServer::~HttpServer() {
    Stop();
}

std::optional<int> HttpServer::Listen(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        std::cerr << "sivarta-data serve: cannot resolve " << host << "\n";
        return std::nullopt;
    }
    sockaddr_storage address{};
    std::memcpy(&address, found->ai_addr, found->ai_addrlen);
    const bool v6 = found->ai_family == AF_INET6;
    freeaddrinfo(found);
    if (v6)
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(static_cast<uint16_t>(port));
    else
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(static_cast<uint16_t>(port));

    const unsigned threads = state->limits.ioThreads ? state->limits.ioThreads
                                                     : std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    if (v6) flags |= MHD_USE_IPv6;
    state->daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, OnRequest, state.get(), MHD_OPTION_EXTERNAL_LOGGER, OnNotice, state.get(),
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address), MHD_OPTION_URI_LOG_CALLBACK, OnTarget, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, OnCompleted, nullptr, MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(state->limits.maxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(state->limits.maxPerClient), MHD_OPTION_CONNECTION_TIMEOUT, state->limits.idleSeconds,
        // Room for the largest head allowed and the answer's headers; a head
        // beyond it is refused by the library before it reaches Screen.
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(3 * state->limits.maxHeadBytes),
        MHD_OPTION_LISTEN_BACKLOG_SIZE, state->limits.backlog, MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_END);
    if (!state->daemon) {
        std::cerr << "sivarta-data serve: cannot listen on " << host << ":" << port << "\n";
        return std::nullopt;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(state->daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? static_cast<int>(info->port) : port;
}

void HttpServer::Stop() {
    if (!state->daemon) return;
    const int listener = MHD_quiesce_daemon(state->daemon);
    if (listener >= 0) close(listener);
    // Answers in flight wake their connections; a daemon must not stop with one asleep.
    for (int i = 0; i < 250 && state->sleeping > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    MHD_stop_daemon(state->daemon);
    state->daemon = nullptr;
}
