#include "tools/sivarta-data/events.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "data/file_readers.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxCodesPerSubscriber = 64;

// One subscriber's stream: the codes it follows and what is due to it.
class Subscriber : public HttpStream {
public:
    explicit Subscriber(std::vector<std::string> codes) : codes(std::move(codes)) {
        pending = "retry: 1000\n: following";
        for (const std::string& c : this->codes) pending += " " + c;
        pending += "\n\n";
    }

    bool Follows(const std::string& code) const { return std::find(codes.begin(), codes.end(), code) != codes.end(); }

    void Changed(const std::string& code) {
        {
            std::lock_guard<std::mutex> hold(lock);
            if (std::find(changed.begin(), changed.end(), code) == changed.end()) changed.push_back(code);
        }
        Wake();
    }
    void KeepAlive() {
        {
            std::lock_guard<std::mutex> hold(lock);
            keepAlive = true;
        }
        Wake();
    }
    void End() {
        {
            std::lock_guard<std::mutex> hold(lock);
            ended = true;
        }
        Wake();
    }

    ssize_t Pull(char* out, size_t max) override {
        std::lock_guard<std::mutex> hold(lock);
        for (const std::string& code : changed) pending += "event: change\ndata: " + code + "\n\n";
        changed.clear();
        if (keepAlive && pending.empty()) pending = ": keep-alive\n\n";
        keepAlive = false;
        if (pending.empty()) return ended ? -1 : 0;
        const size_t n = std::min(max, pending.size());
        std::memcpy(out, pending.data(), n);
        pending.erase(0, n);
        return static_cast<ssize_t>(n);
    }

private:
    const std::vector<std::string> codes;
    std::mutex lock;
    std::vector<std::string> changed;
    std::string pending;
    bool keepAlive = false;
    bool ended = false;
};

// The code a changed file name stands for: "CODE.dat", nothing else (the
// writers' temporary names are passed over; their rename is the change).
std::string CodeOfFile(std::string_view name) {
    if (name.size() < 5 || name.substr(name.size() - 4) != ".dat") return {};
    const std::string_view code = name.substr(0, name.size() - 4);
    return IsValidStockCode(code) ? std::string(code) : std::string();
}

}   // namespace

struct EventHub::State {
    fs::path root;
    size_t maxSubscribers;
    std::chrono::seconds keepAlive;
    int inotify = -1, stopper = -1;
    std::vector<std::pair<fs::path, int>> watches;   // folder, watch (-1: not there yet)
    std::mutex lock;
    std::vector<std::weak_ptr<Subscriber>> subscribers;
    std::thread watcher;

    // Live subscribers, the gone ones dropped. Under `lock`.
    std::vector<std::shared_ptr<Subscriber>> Live() {
        std::vector<std::shared_ptr<Subscriber>> live;
        std::erase_if(subscribers, [&](const std::weak_ptr<Subscriber>& w) {
            auto s = w.lock();
            if (!s) return true;
            live.push_back(std::move(s));
            return false;
        });
        return live;
    }

    void Watch() {
        for (auto& [folder, wd] : watches) {
            if (wd >= 0) continue;
            wd = inotify_add_watch(inotify, folder.c_str(),
                                   IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_CREATE | IN_DELETE | IN_ATTRIB);
        }
    }

    void Deliver(const std::string& code) {
        std::vector<std::shared_ptr<Subscriber>> live;
        {
            std::lock_guard<std::mutex> hold(lock);
            live = Live();
        }
        for (const auto& s : live)
            if (s->Follows(code)) s->Changed(code);
    }

    void ReadChanges() {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t n = read(inotify, buffer, sizeof buffer);
            if (n <= 0) return;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_IGNORED) {
                    for (auto& watch : watches)
                        if (watch.second == event->wd) watch.second = -1;   // folder gone: watched again when back
                    continue;
                }
                if (event->len == 0) continue;
                const std::string code = CodeOfFile(event->name);
                if (!code.empty()) Deliver(code);
            }
        }
    }

    void Run() {
        auto nextKeepAlive = std::chrono::steady_clock::now() + keepAlive;
        for (;;) {
            Watch();
            pollfd fds[2] = {{inotify, POLLIN, 0}, {stopper, POLLIN, 0}};
            poll(fds, 2, 1000);
            if (fds[1].revents) return;
            if (fds[0].revents) ReadChanges();
            if (std::chrono::steady_clock::now() >= nextKeepAlive) {
                nextKeepAlive += keepAlive;
                std::vector<std::shared_ptr<Subscriber>> live;
                {
                    std::lock_guard<std::mutex> hold(lock);
                    live = Live();
                }
                for (const auto& s : live) s->KeepAlive();
            }
        }
    }
};

EventHub::EventHub(fs::path root, size_t maxSubscribers, unsigned keepAliveSeconds) : state(std::make_unique<State>()) {
    state->root = std::move(root);
    state->maxSubscribers = maxSubscribers;
    state->keepAlive = std::chrono::seconds(std::max(1u, keepAliveSeconds));
    state->inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    state->stopper = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (state->inotify < 0 || state->stopper < 0) throw std::runtime_error(std::strerror(errno));
    for (const char* folder : {"info", "Date"}) state->watches.emplace_back(state->root / "sisefile" / folder, -1);
    state->watcher = std::thread([s = state.get()] { s->Run(); });
}

EventHub::~EventHub() {
    EndAll();
    const uint64_t one = 1;
    if (write(state->stopper, &one, sizeof one) < 0) std::cerr << "sivarta-data serve: cannot stop the event watcher\n";
    state->watcher.join();
    close(state->inotify);
    close(state->stopper);
}

void EventHub::EndAll() {
    std::vector<std::shared_ptr<Subscriber>> live;
    {
        std::lock_guard<std::mutex> hold(state->lock);
        live = state->Live();
    }
    for (const auto& s : live) s->End();
}

HttpAnswer EventHub::Answer(const HttpRequest& req) {
    std::vector<std::string> codes;
    for (const auto& [name, value] : req.query) {
        if (name != "code") return HttpAnswer::Text(400, "unknown parameter " + name + ": /events takes code=CODE");
        if (!IsValidStockCode(value)) return HttpAnswer::Text(400, "bad code: use 1 to 32 ASCII letters and digits");
        if (std::find(codes.begin(), codes.end(), value) == codes.end()) codes.push_back(value);
    }
    if (codes.empty() || codes.size() > kMaxCodesPerSubscriber)
        return HttpAnswer::Text(400,
                                "name 1 to " + std::to_string(kMaxCodesPerSubscriber) + " codes: /events?code=CODE");
    auto subscriber = std::make_shared<Subscriber>(std::move(codes));
    {
        std::lock_guard<std::mutex> hold(state->lock);
        if (state->Live().size() >= state->maxSubscribers) {
            std::cerr << "sivarta-data serve: /events refused: " << state->maxSubscribers << " subscribers already\n";
            return HttpAnswer::Text(503, "too many event subscribers: try again later").With("Retry-After", "5");
        }
        state->subscribers.push_back(subscriber);
    }
    HttpAnswer answer;
    answer.stream = subscriber;
    answer.With("Content-Type", "text/event-stream").With("Cache-Control", "no-cache").With("X-Accel-Buffering", "no");
    return answer;
}
