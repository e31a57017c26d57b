// GET /events?code=A&code=B: Server-Sent Events telling subscribers when a
// day file of a code they follow changes. One thread watches the data root
// with inotify and wakes the subscribers' connections; a subscriber costs a
// small record, never a thread, and their number is bounded.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tools/sivarta-data/http_server.h"

class EventHub {
public:
    // Throws std::runtime_error when inotify cannot start.
    EventHub(std::filesystem::path root, size_t maxSubscribers, unsigned keepAliveSeconds);
    ~EventHub();
    EventHub(const EventHub&) = delete;
    EventHub& operator=(const EventHub&) = delete;

    // 400 for a bad or missing code, 503 beyond the subscriber limit, else
    // the event stream.
    HttpAnswer Answer(const HttpRequest& req);
    // Ends every stream (before the server stops).
    void EndAll();

    struct State;

private:
    std::unique_ptr<State> state;
};
