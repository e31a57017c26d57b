// sivarta-data serve: a static HTTP server for the sisefile layout, for the
// chart to load from while developing and in the end-to-end tests.
#include <httplib.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <thread>

#include "tools/sivarta-data/chart_endpoint.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/serve_web.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxServedBytes = 256u << 20;

// Is `path` the root itself or inside it? Both are canonical.
bool IsUnder(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p)
        if (p == path.end() || *r != *p) return false;
    return true;
}

// Maps a URL path onto a regular file under root. 403 for anything that could
// leave the root (dot segments, backslashes, NUL, symlinks out), 404 for what
// is not there.
int Resolve(const fs::path& root, const std::string& urlPath, fs::path& file) {
    if (urlPath.empty() || urlPath.front() != '/' || urlPath.find('\\') != std::string::npos ||
        urlPath.find('\0') != std::string::npos)
        return 403;
    fs::path relative;
    std::size_t start = 1;
    while (start <= urlPath.size()) {
        const std::size_t slash = std::min(urlPath.find('/', start), urlPath.size());
        const std::string segment = urlPath.substr(start, slash - start);
        if (segment == "." || segment == "..") return 403;
        if (!segment.empty()) relative /= segment;
        start = slash + 1;
    }
    std::error_code ec;
    const fs::path candidate = fs::canonical(root / relative, ec);
    if (ec) return 404;
    if (!IsUnder(root, candidate)) return 403;
    if (!fs::is_regular_file(candidate, ec)) return 404;
    file = candidate;
    return 200;
}

void Answer(const WebServing& web, const fs::path& dataRoot, const httplib::Request& req,
            httplib::Response& res) {
    const auto [root, path] = ServedFrom(web, dataRoot, req.path);
    fs::path file;
    res.status = Resolve(*root, path, file);
    if (res.status != 200) return;
    const auto bytes = ReadWholeFile(file, kMaxServedBytes);
    if (!bytes) {
        res.status = 500;
        return;
    }
    res.set_content(*bytes, ContentTypeFor(file));
}

}  // namespace

int RunServe(const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {"--root", "--host", "--port", "--cors", "--web",
                                             "--chart-workers", "--chart-cache"}, {});
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
    if (!web) return kExitUsage;
    const std::string host = options->Get("--host").value_or("127.0.0.1");
    const auto port = ParseWhole(options->Get("--port").value_or("8949"), 0, 65535);
    if (!port) {
        std::cerr << "sivarta-data serve: --port is a number from 0 to 65535\n";
        return kExitUsage;
    }

    // SIGINT and SIGTERM are taken by one waiting thread, never by a handler:
    // stopping the server is not async-signal-safe. Blocked before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    std::mutex logLock;
    server.set_keep_alive_timeout(2);
    ConfigureForBrowsers(server, *web);
    server.set_logger([&](const httplib::Request& req, const httplib::Response& res) {
        std::lock_guard<std::mutex> hold(logLock);
        std::cout << req.method << " " << req.path << " " << res.status << " " << res.body.size() << std::endl;
    });
    int chartFault = kExitOk;
    const auto chart = StartChartEndpoint(root, *options, chartFault);
    if (!chart) return chartFault;
    chart->Mount(server);   // before the catch-all file route
    server.Get("/.*", [&](const httplib::Request& req, httplib::Response& res) { Answer(*web, root, req, res); });

    int bound = static_cast<int>(*port);
    if (bound == 0) bound = server.bind_to_any_port(host);
    else if (!server.bind_to_port(host, bound)) bound = -1;
    if (bound <= 0) {
        std::cerr << "sivarta-data serve: cannot listen on " << host << ":" << *port << "\n";
        return kExitFailed;
    }
    std::cout << "serving " << root.string() << " on http://" << host << ":" << bound << std::endl;

    std::atomic<bool> finished{false};
    std::atomic<bool> signalled{false};
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (!finished) signalled = true;
        // The signal may come before the server loop runs; stop until it has ended.
        while (!finished) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    server.listen_after_bind();
    finished = true;
    if (!signalled) kill(getpid(), SIGTERM);   // the loop ended on its own: wake the waiter
    waiter.join();
    return signalled ? kExitOk : kExitFailed;
}
