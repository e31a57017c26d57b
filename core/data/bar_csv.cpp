#include "data/bar_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

#include "data/file_readers.h"
#include "data/day_files.h"

namespace {

constexpr std::array<const char*, 7> kFields = {"date", "time", "open", "high", "low", "close", "volume"};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool ParseInt32(std::string_view s, int32_t& value, std::string& why) {
    if (s.empty()) {
        why = "empty";
        return false;
    }
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range ||
        (ec == std::errc() && (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()))) {
        why = "'" + std::string(s) + "' is outside the 32-bit range";
        return false;
    }
    if (ec != std::errc() || end != s.data() + s.size()) {
        why = "'" + std::string(s) + "' is not a whole number";
        return false;
    }
    value = static_cast<int32_t>(v);
    return true;
}

bool IsTimeOfDay(int32_t t) {
    return t >= 0 && t / 10000 <= 23 && t / 100 % 100 <= 59 && t % 100 <= 59;
}

// The checks that need the whole row, or the row before it.
bool CheckRow(const std::array<int32_t, 7>& v, const std::vector<TickRecord>& bars, CsvError& error) {
    auto fail = [&](int field, std::string why) {
        error.field = kFields[field];
        error.why = std::move(why);
        return false;
    };
    const auto [date, time, open, high, low, close, volume] = v;
    if (!IsDateNumber(date)) return fail(0, std::to_string(date) + " is not a date YYYYMMDD");
    if (!IsTimeOfDay(time)) return fail(1, std::to_string(time) + " is not a time of day HHMMSS");
    if (!bars.empty() && date != bars.front().date)
        return fail(0, std::to_string(date) + " differs from the first bar's " + std::to_string(bars.front().date) +
                           " (one file holds one day)");
    if (!bars.empty() && time <= bars.back().time)
        return fail(1, std::to_string(time) + " does not follow " + std::to_string(bars.back().time));
    for (int f = 2; f <= 5; ++f)
        if (v[f] <= 0) return fail(f, std::to_string(v[f]) + " is not a positive price");
    if (low > open || low > close) return fail(4, "above open or close");
    if (high < open || high < close) return fail(3, "below open or close");
    if (volume < 0) return fail(6, "negative");
    return true;
}

std::vector<std::string_view> SplitCells(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t comma = line.find(',');
        cells.push_back(Trim(line.substr(0, comma)));
        if (comma == std::string_view::npos) return cells;
        line.remove_prefix(comma + 1);
    }
}

bool IsHeader(std::string_view line) {
    const std::string_view first = Trim(line.substr(0, line.find(',')));
    return !first.empty() && ((first[0] >= 'A' && first[0] <= 'Z') || (first[0] >= 'a' && first[0] <= 'z'));
}

}   // namespace

bool ParseBarsCsv(std::string_view text, std::vector<TickRecord>& bars, CsvError& error) {
    bars.clear();
    constexpr std::size_t kMaxBars = kMaxDataFileBytes / sizeof(TickRecord);
    // Spreadsheets often save UTF-8 with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNo = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view line = Trim(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        error.line = ++lineNo;
        if (line.empty() || (lineNo == 1 && IsHeader(line))) continue;

        const std::vector<std::string_view> cells = SplitCells(line);
        if (cells.size() != kFields.size()) {
            error.field = kFields[std::min(cells.size(), kFields.size() - 1)];
            error.why = cells.size() < kFields.size() ? "missing" : "followed by more than the seven fields expected";
            return false;
        }
        std::array<int32_t, 7> v{};
        for (std::size_t f = 0; f < kFields.size(); ++f) {
            error.field = kFields[f];
            if (!ParseInt32(cells[f], v[f], error.why)) return false;
        }
        if (!CheckRow(v, bars, error)) return false;
        if (bars.size() == kMaxBars) {
            error.field = kFields[0];
            error.why = "more than " + std::to_string(kMaxBars) + " bars, the most a data file may hold";
            return false;
        }
        bars.push_back(TickRecord{v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
    }
    if (bars.empty()) {
        error.line = std::max(lineNo, 1);
        error.field = kFields[0];
        error.why = "no bars in the file";
        return false;
    }
    return true;
}
