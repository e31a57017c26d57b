// GET /chart/CODE.png in sivarta-data serve: the day's chart rendered from the
// files under the server's root. Query parameters are the display properties
// (names ignoring case) plus w and h. Renders run on a fixed pool of workers,
// off the server's threads; answers carry an ETag from the files' stamps and
// the options and are kept in a cache bounded in bytes, entries whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

#include "tools/sivarta-data/http_server.h"

struct ChartEndpointConfig {
    size_t workers = 0;              // 0: one per hardware thread
    size_t cacheBytes = 64u << 20;   // 0 turns the cache off
};

class ChartEndpoint {
public:
    // Throws std::runtime_error when the renderer cannot start (no font).
    ChartEndpoint(std::filesystem::path root, const ChartEndpointConfig& config);
    ~ChartEndpoint();
    ChartEndpoint(const ChartEndpoint&) = delete;
    ChartEndpoint& operator=(const ChartEndpoint&) = delete;

    // `code` is the path's CODE of /chart/CODE.png; the reply may come from a worker.
    void Answer(const HttpRequest& req, std::string_view code, HttpReply reply);

private:
    struct State;
    std::unique_ptr<State> state;
};

struct Options;

// The endpoint for `serve` from its options --chart-workers N (0: one per
// hardware thread) and --chart-cache MIB (0: off); nullptr with the exit code
// set and the fault printed when it cannot start.
std::unique_ptr<ChartEndpoint> StartChartEndpoint(const std::filesystem::path& root, const Options& options,
                                                  int& exitCode);
