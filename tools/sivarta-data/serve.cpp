// sivarta-data serve: the data host. Serves the sisefile layout to controls
// and elements, renders /chart/CODE.png and streams /events, on an
// event-driven HTTP layer that holds hostile clients to fixed limits.
#include <signal.h>
#include <sys/resource.h>

#include <iostream>

#include "tools/sivarta-data/chart_endpoint.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/events.h"
#include "tools/sivarta-data/file_route.h"
#include "tools/sivarta-data/serve_web.h"

namespace fs = std::filesystem;

namespace {

struct ServeLimits {
    HttpLimits http;
    size_t maxSubscribers = 1024;
    unsigned keepAliveSeconds = 15;
};

std::optional<ServeLimits> ReadLimits(const Options& options) {
    ServeLimits limits;
    const auto connections = ParseWhole(options.Get("--max-connections").value_or("4096"), 1, 1 << 20);
    const auto perClient = ParseWhole(options.Get("--max-per-client").value_or("256"), 1, 1 << 20);
    const auto subscribers = ParseWhole(options.Get("--max-subscribers").value_or("1024"), 0, 1 << 20);
    const auto keepAlive = ParseWhole(options.Get("--event-keepalive").value_or("15"), 1, 3600);
    if (!connections || !perClient || !subscribers || !keepAlive) {
        std::cerr << "sivarta-data serve: --max-connections, --max-per-client and --max-subscribers are whole "
                     "numbers, --event-keepalive 1 to 3600 seconds\n";
        return std::nullopt;
    }
    limits.http.maxConnections = static_cast<size_t>(*connections);
    limits.http.maxPerClient = static_cast<size_t>(*perClient);
    limits.maxSubscribers = static_cast<size_t>(*subscribers);
    limits.keepAliveSeconds = static_cast<unsigned>(*keepAlive);
    return limits;
}

// Every connection is a descriptor: take what the system allows.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// /chart/CODE.png: the CODE, or nothing for any other path.
std::optional<std::string_view> ChartCode(std::string_view path) {
    constexpr std::string_view prefix = "/chart/", suffix = ".png";
    if (!path.starts_with(prefix) || !path.ends_with(suffix) || path.size() < prefix.size() + suffix.size())
        return std::nullopt;
    const std::string_view code = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (code.find('/') != std::string_view::npos) return std::nullopt;
    return code;
}

}   // namespace

int RunServe(const std::vector<std::string>& args) {
    const auto options =
        ParseOptions(args,
                     {"--root", "--host", "--port", "--cors", "--web", "--chart-workers", "--chart-cache",
                      "--max-connections", "--max-per-client", "--max-subscribers", "--event-keepalive"},
                     {});
    if (!options) return kExitUsage;
    const auto rootArg = options->Get("--root");
    if (!rootArg || !options->positional.empty()) {
        std::cerr << "sivarta-data serve: needs --root DIR\n";
        return kExitUsage;
    }
    std::error_code ec;
    const fs::path root = fs::canonical(*rootArg, ec);
    if (ec || !fs::is_directory(root)) {
        std::cerr << "sivarta-data serve: " << *rootArg << " is not a folder\n";
        return kExitFailed;
    }
    const auto web = ReadWebServing(*options);
    const auto limits = ReadLimits(*options);
    if (!web || !limits) return kExitUsage;
    const std::string host = options->Get("--host").value_or("127.0.0.1");
    const auto port = ParseWhole(options->Get("--port").value_or("8949"), 0, 65535);
    if (!port) {
        std::cerr << "sivarta-data serve: --port is a number from 0 to 65535\n";
        return kExitUsage;
    }

    // SIGINT and SIGTERM are taken by this thread with sigwait, never by a
    // handler; blocked before any thread starts, so every thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    RaiseDescriptorLimit();

    int chartFault = kExitOk;
    const auto chart = StartChartEndpoint(root, *options, chartFault);
    if (!chart) return chartFault;
    std::unique_ptr<EventHub> events;
    try {
        events = std::make_unique<EventHub>(root, limits->maxSubscribers, limits->keepAliveSeconds);
    } catch (const std::exception& e) {
        std::cerr << "sivarta-data serve: /events cannot start: " << e.what() << "\n";
        return kExitFailed;
    }

    std::vector<std::pair<std::string, std::string>> everyAnswer;
    if (!web->corsOrigin.empty()) everyAnswer.emplace_back("Access-Control-Allow-Origin", web->corsOrigin);
    HttpServer server(
        limits->http,
        [&](const HttpRequest& req, HttpReply reply) {
            if (const auto code = ChartCode(req.path)) return chart->Answer(req, *code, std::move(reply));
            if (req.path == "/events") return reply(events->Answer(req));
            const auto [folder, path] = ServedFrom(*web, root, req.path);
            reply(AnswerFile(*folder, path, req, ContentTypeFor(path), "no-cache"));
        },
        everyAnswer);
    const auto bound = server.Listen(host, static_cast<int>(*port));
    if (!bound) return kExitFailed;
    std::cout << "serving " << root.string() << " on http://" << host << ":" << *bound << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    events->EndAll();
    server.Stop();
    return kExitOk;
}
