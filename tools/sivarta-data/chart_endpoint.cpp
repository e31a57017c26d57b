#include "tools/sivarta-data/chart_endpoint.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <iostream>
#include <future>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "render/png_codec.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/chart_query.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kConnectionThreads = 64;

// A fixed set of render threads, each with its own text engine (FreeType
// faces and glyph caches are not shared between threads). Requests beyond
// them wait in the queue, so a flood costs waiting time, not memory or CPU.
class RenderPool {
public:
    explicit RenderPool(size_t count) {
        std::vector<std::unique_ptr<FreeTypeText>> engines;
        for (size_t i = 0; i < count; ++i) engines.push_back(std::make_unique<FreeTypeText>());
        for (auto& engine : engines)
            threads.emplace_back([this, text = std::shared_ptr<FreeTypeText>(std::move(engine))] { Work(*text); });
    }
    ~RenderPool() {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        wake.notify_all();
        for (std::thread& t : threads) t.join();
    }
    RenderPool(const RenderPool&) = delete;
    RenderPool& operator=(const RenderPool&) = delete;

    template <typename Result>
    Result Run(std::function<Result(FreeTypeText&)> job) {
        std::packaged_task<Result(FreeTypeText&)> task(std::move(job));
        std::future<Result> done = task.get_future();
        {
            std::lock_guard<std::mutex> hold(lock);
            queue.emplace_back([t = std::make_shared<decltype(task)>(std::move(task))](FreeTypeText& text) { (*t)(text); });
        }
        wake.notify_one();
        return done.get();
    }

private:
    void Work(FreeTypeText& text) {
        for (;;) {
            std::function<void(FreeTypeText&)> job;
            {
                std::unique_lock<std::mutex> hold(lock);
                wake.wait(hold, [this] { return stopping || !queue.empty(); });
                if (queue.empty()) return;
                job = std::move(queue.front());
                queue.pop_front();
            }
            job(text);
        }
    }

    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::function<void(FreeTypeText&)>> queue;
    bool stopping = false;
    std::vector<std::thread> threads;
};

// Least recently used pictures, at most `budget` bytes of PNG in all.
class PictureCache {
public:
    explicit PictureCache(size_t budget) : budget(budget) {}

    std::shared_ptr<const std::string> Find(const std::string& key) {
        std::lock_guard<std::mutex> hold(lock);
        const auto found = index.find(key);
        if (found == index.end()) return nullptr;
        order.splice(order.begin(), order, found->second);
        return found->second->png;
    }

    void Store(const std::string& key, std::shared_ptr<const std::string> png) {
        // One picture may take at most a quarter of the budget, so a few huge
        // ones cannot push out everything else.
        if (png->size() > budget / 4) return;
        std::lock_guard<std::mutex> hold(lock);
        if (index.count(key)) return;
        used += png->size();
        order.push_front({key, std::move(png)});
        index[key] = order.begin();
        while (used > budget) {
            used -= order.back().png->size();
            index.erase(order.back().key);
            order.pop_back();
        }
    }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<const std::string> png;
    };
    std::mutex lock;
    std::list<Entry> order;
    std::unordered_map<std::string, std::list<Entry>::iterator> index;
    size_t used = 0;
    const size_t budget;
};

struct Rendered {
    int status = 200;
    std::string message;   // the body of an error answer
    std::string key;       // of the files as they were read
    std::shared_ptr<const std::string> png;
};

void Fail(httplib::Response& res, int status, const std::string& message) {
    res.status = status;
    res.set_content(message + "\n", "text/plain; charset=utf-8");
}

// Under root once symbolic links are resolved: what the static route refuses
// to serve, the chart route refuses to read.
bool InsideRoot(const fs::path& root, const fs::path& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec) return false;
    const auto [r, p] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
    return r == root.end();
}

}  // namespace

struct ChartEndpoint::State {
    fs::path root;
    RenderPool pool;
    std::optional<PictureCache> cache;

    State(fs::path root, const ChartEndpointConfig& config)
        : root(std::move(root)),
          pool(config.workers ? config.workers : std::max(1u, std::thread::hardware_concurrency())) {
        if (config.cacheBytes) cache.emplace(config.cacheBytes);
    }

    Rendered Render(const ChartQuery& query, FreeTypeText& text) const {
        Rendered out;
        DayBytes day;
        if (auto fault = ReadDay(root, query.request.code, day)) {
            out.status = 404;
            out.message = "no chart for " + query.request.code + ": the day's files are missing or unreadable";
            return out;
        }
        out.key = ChartKey(query, day.infoStamp, day.dataStamp);
        const RenderOutcome outcome = RenderChart(query.request, day.info, day.data, text);
        if (!outcome.chart) {
            out.status = 404;
            out.message = "no chart for " + query.request.code + ": " + outcome.refusal;
            return out;
        }
        auto png = EncodePng(outcome.chart->pixels);
        if (!png) {
            out.status = 500;
            out.message = "cannot encode the picture";
            return out;
        }
        out.png = std::make_shared<const std::string>(std::move(*png));
        return out;
    }
};

ChartEndpoint::ChartEndpoint(fs::path root, const ChartEndpointConfig& config)
    : state(std::make_unique<State>(std::move(root), config)) {}

ChartEndpoint::~ChartEndpoint() = default;

void ChartEndpoint::Mount(httplib::Server& server) {
    // Many small answers on kept-alive connections: no Nagle delay between
    // headers and body, a connection reused for more than five requests (each
    // reconnect risks the short listen backlog), and enough connection threads
    // that waiting clients do not hold each other up; rendering itself stays
    // bounded by the worker pool.
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000);
    server.new_task_queue = [] { return new httplib::ThreadPool(kConnectionThreads); };
    server.Get(R"(/chart/([^/]*)\.png)", [this](const httplib::Request& req, httplib::Response& res) { Answer(req, res); });
}

void ChartEndpoint::Answer(const httplib::Request& req, httplib::Response& res) {
    ChartQuery query;
    const std::vector<std::pair<std::string, std::string>> params(req.params.begin(), req.params.end());
    if (auto fault = ParseChartQuery(req.matches[1].str(), params, query)) return Fail(res, 400, *fault);

    const std::string& code = query.request.code;
    const fs::path infoPath = InfoPath(state->root, code), dataPath = DataPath(state->root, code);
    const auto infoStamp = StatFile(infoPath), dataStamp = StatFile(dataPath);
    if (!infoStamp || !dataStamp || !InsideRoot(state->root, infoPath) || !InsideRoot(state->root, dataPath))
        return Fail(res, 404, "no chart for " + code + ": the day's files are missing");

    // The tag comes from the files' stamps: a revalidation costs two stats.
    std::string key = ChartKey(query, *infoStamp, *dataStamp);
    std::string etag = ChartEtag(key);
    if (req.has_header("If-None-Match") && EtagMatches(req.get_header_value("If-None-Match"), etag)) {
        res.status = 304;
        res.set_header("ETag", etag);
        return;
    }
    std::shared_ptr<const std::string> png = state->cache ? state->cache->Find(key) : nullptr;
    if (!png) {
        const Rendered rendered = state->pool.Run<Rendered>([&](FreeTypeText& text) { return state->Render(query, text); });
        if (rendered.status != 200) return Fail(res, rendered.status, rendered.message);
        // The files may have changed since the stat: the picture is filed
        // under what was read.
        if (rendered.key != key) {
            key = rendered.key;
            etag = ChartEtag(key);
        }
        png = rendered.png;
        if (state->cache) state->cache->Store(key, png);
    }
    res.status = 200;
    res.set_header("ETag", etag);
    res.set_content(png->data(), png->size(), "image/png");
}

std::unique_ptr<ChartEndpoint> StartChartEndpoint(const fs::path& root, const Options& options, int& exitCode) {
    ChartEndpointConfig config;
    const auto workers = ParseWhole(options.Get("--chart-workers").value_or("0"), 0, 64);
    const auto cacheMiB = ParseWhole(options.Get("--chart-cache").value_or("64"), 0, 65536);
    if (!workers || !cacheMiB) {
        std::cerr << "sivarta-data serve: --chart-workers is 0 to 64, --chart-cache 0 to 65536 (MiB)\n";
        exitCode = kExitUsage;
        return nullptr;
    }
    config.workers = static_cast<size_t>(*workers);
    config.cacheBytes = static_cast<size_t>(*cacheMiB) << 20;
    try {
        return std::make_unique<ChartEndpoint>(root, config);
    } catch (const std::exception& e) {
        std::cerr << "sivarta-data serve: the chart route cannot start: " << e.what() << "\n";
        exitCode = kExitFailed;
        return nullptr;
    }
}
