// sivarta-data feed: trades from standard input become the day files of
// their codes, published by write-then-rename a few times a second at most,
// so readers (and /events subscribers) always see whole files.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <iostream>
#include <map>

#include "render/day_read.h"
#include "tools/sivarta-data/commands.h"
#include "data/feed_book.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int32_t Today() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

// --prev-close CODE=PRICE, each at most once.
std::optional<std::map<std::string, int32_t>> ReadPreviousCloses(const Options& options) {
    std::map<std::string, int32_t> closes;
    for (const std::string& item : options.All("--prev-close")) {
        const size_t eq = item.find('=');
        const auto price = eq == std::string::npos ? std::nullopt : ParseWhole(item.substr(eq + 1), 1, INT32_MAX);
        if (!price || !CheckFileCode(item.substr(0, eq))) {
            std::cerr << "sivarta-data feed: --prev-close takes CODE=PRICE, got " << item << "\n";
            return std::nullopt;
        }
        closes[item.substr(0, eq)] = static_cast<int32_t>(*price);
    }
    return closes;
}

class Feed {
public:
    Feed(fs::path root, int32_t date, std::map<std::string, int32_t> closes, std::chrono::milliseconds interval)
        : root(std::move(root)), book(date), closes(std::move(closes)), interval(interval) {}

    void Line(std::string_view text, size_t number) {
        if (text.find_first_not_of(" \t\r") == std::string_view::npos) return;
        Trade trade;
        auto fault = ParseTrade(text, trade);
        if (!fault) {
            if (!book.Codes().count(trade.code)) Start(trade.code);
            fault = book.Add(trade);
        }
        if (fault) {
            std::cerr << "sivarta-data feed: line " << number << ": " << *fault << " (skipped)\n";
            ++badLines;
        }
    }

    // Writes every changed code last published at least `interval` ago (all of them when `everything`).
    bool Publish(bool everything) {
        bool ok = true;
        const auto now = Clock::now();
        for (auto& [code, day] : book.Codes()) {
            if (!day.changed || (!everything && now - published[code] < interval)) continue;
            day.changed = false;
            published[code] = now;
            ok = WriteDayFiles(root, code, book.Files(code)) && ok;
        }
        return ok;
    }

    size_t badLines = 0;

private:
    void Start(const std::string& code) {
        std::string info, data;
        ReadFileBounded(InfoPath(root, code), kInfoReadLimit, info);
        ReadFileBounded(DataPath(root, code), DataReadLimit(), data);
        const auto close = closes.find(code);
        book.Load(code, info, data, close == closes.end() ? std::nullopt : std::optional<int32_t>(close->second));
    }

    fs::path root;
    FeedBook book;
    std::map<std::string, int32_t> closes;
    std::chrono::milliseconds interval;
    std::map<std::string, Clock::time_point> published;
};

}   // namespace

int RunFeed(const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {"--root", "--prev-close", "--date", "--interval-ms"}, {});
    if (!options) return kExitUsage;
    const auto root = options->Get("--root");
    const auto closes = ReadPreviousCloses(*options);
    const auto date = ParseWhole(options->Get("--date").value_or(std::to_string(Today())), 19000101, 29991231);
    const auto interval = ParseWhole(options->Get("--interval-ms").value_or("250"), 0, 60000);
    if (!root || !options->positional.empty() || !closes || !date || !IsDateNumber(*date) || !interval) {
        std::cerr << "sivarta-data feed: needs --root DIR; --date YYYYMMDD, --interval-ms 0 to 60000\n";
        return kExitUsage;
    }
    Feed feed(*root, static_cast<int32_t>(*date), *closes, std::chrono::milliseconds(*interval));
    std::string pending;
    size_t lineNumber = 0;
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&in, 1, 50);
        if (ready > 0) {
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            pending.append(buffer, static_cast<size_t>(n));
            size_t start = 0;
            for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
                feed.Line(std::string_view(pending).substr(start, end - start), ++lineNumber);
            pending.erase(0, start);
        }
        ok = feed.Publish(false) && ok;
    }
    if (!pending.empty()) feed.Line(pending, ++lineNumber);
    ok = feed.Publish(true) && ok;
    return ok && feed.badLines == 0 ? kExitOk : kExitFailed;
}
