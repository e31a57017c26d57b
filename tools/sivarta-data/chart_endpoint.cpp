#include "tools/sivarta-data/chart_endpoint.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

#include "render/png_codec.h"
#include "tools/sivarta-data/chart_query.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/picture_cache.h"

namespace fs = std::filesystem;

namespace {

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

    // Runs `job` on a worker; never waits for it.
    void Post(std::function<void(FreeTypeText&)> job) {
        {
            std::lock_guard<std::mutex> hold(lock);
            queue.push_back(std::move(job));
        }
        wake.notify_one();
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

struct Rendered {
    int status = 200;
    std::string message;   // the body of an error answer
    std::string key;       // of the files as they were read
    std::shared_ptr<const std::string> png;
};

HttpAnswer Picture(const std::string& etag, std::shared_ptr<const std::string> png) {
    HttpAnswer answer;
    answer.body = std::move(png);
    answer.With("Content-Type", "image/png").With("ETag", etag).With("Cache-Control", "no-cache");
    return answer;
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

}   // namespace

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
            if (*fault == kFilesKeptChanging) {
                out.status = 503;
                out.message = "the files of " + query.request.code + " are being rewritten: try again";
                return out;
            }
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

void ChartEndpoint::Answer(const HttpRequest& req, std::string_view code, HttpReply reply) {
    ChartQuery query;
    if (auto fault = ParseChartQuery(code, req.query, query)) return reply(HttpAnswer::Text(400, *fault));

    const fs::path infoPath = InfoPath(state->root, query.request.code),
                   dataPath = DataPath(state->root, query.request.code);
    const auto infoStamp = StatFile(infoPath), dataStamp = StatFile(dataPath);
    if (!infoStamp || !dataStamp || !InsideRoot(state->root, infoPath) || !InsideRoot(state->root, dataPath))
        return reply(HttpAnswer::Text(404, "no chart for " + query.request.code + ": the day's files are missing"));

    // The tag comes from the files' stamps: a revalidation costs two stats.
    const std::string key = ChartKey(query, *infoStamp, *dataStamp);
    const std::string etag = ChartEtag(key);
    if (const auto ifNoneMatch = req.Header("If-None-Match"); ifNoneMatch && EtagMatches(*ifNoneMatch, etag))
        return reply(HttpAnswer::Status(304).With("ETag", etag).With("Cache-Control", "no-cache"));
    if (state->cache)
        if (auto png = state->cache->Find(key)) return reply(Picture(etag, std::move(png)));

    state->pool.Post([state = state.get(), query = std::move(query), reply = std::move(reply)](FreeTypeText& text) {
        const Rendered rendered = state->Render(query, text);
        if (rendered.status != 200) return reply(HttpAnswer::Text(rendered.status, rendered.message));
        // Filed under what was read, which the files' stamps before and
        // after the read agreed on: one tag, one picture.
        if (state->cache) state->cache->Store(rendered.key, rendered.png);
        reply(Picture(ChartEtag(rendered.key), rendered.png));
    });
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
