#include "data/feed_book.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::optional<int64_t> Whole(std::string_view text) {
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

bool IsClockTime(int64_t hhmmss) {
    return hhmmss >= 0 && hhmmss <= 235959 && hhmmss / 100 % 100 < 60 && hhmmss % 100 < 60;
}

}   // namespace

std::optional<std::string> ParseTrade(std::string_view line, Trade& trade) {
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(Trim(line.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (fields.size() != 4) return "expected CODE,HHMMSS,PRICE,VOLUME";
    const std::string_view code = fields[0];
    // A code the files can hold and the chart find again (six bytes, not five).
    bool letters = !code.empty() && code.size() <= 6 && code.size() != 5;
    for (char c : code)
        letters = letters && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    if (!letters) return "code: 1 to 4 or 6 ASCII letters and digits";
    const auto time = Whole(fields[1]), price = Whole(fields[2]), volume = Whole(fields[3]);
    if (!time || !IsClockTime(*time)) return "time: HHMMSS from 000000 to 235959";
    if (!price || *price <= 0 || *price > std::numeric_limits<int32_t>::max()) return "price: a whole number above 0";
    if (!volume || *volume < 0 || *volume > std::numeric_limits<int32_t>::max())
        return "volume: a whole number, 0 or more";
    trade = {std::string(code), static_cast<int32_t>(*time), static_cast<int32_t>(*price),
             static_cast<int32_t>(*volume)};
    return std::nullopt;
}

void FeedBook::Load(const std::string& code, const std::string& infoBytes, const std::string& dataBytes,
                    std::optional<int32_t> previousClose) {
    CodeDay& day = codes[code];
    StockInfo info{};
    const bool haveInfo = infoBytes.size() == sizeof info;
    if (haveInfo) std::memcpy(&info, infoBytes.data(), sizeof info);
    if (haveInfo && info.date == date) {
        day.name.assign(info.name, strnlen(info.name, sizeof info.name));
        day.previousClose = info.current - info.change;
        day.lastTime = info.time;
        for (size_t at = 0; at + sizeof(TickRecord) <= dataBytes.size(); at += sizeof(TickRecord)) {
            TickRecord record{};
            std::memcpy(&record, dataBytes.data() + at, sizeof record);
            if (record.date == date || !day.minutes.empty()) day.minutes.push_back(record);
        }
    } else if (haveInfo) {
        // Yesterday's info: its last price is today's previous close.
        day.name.assign(info.name, strnlen(info.name, sizeof info.name));
        day.previousClose = info.current;
    }
    if (previousClose) day.previousClose = *previousClose;
}

std::optional<std::string> FeedBook::Add(const Trade& trade) {
    CodeDay& day = codes[trade.code];
    const int32_t minute = trade.time / 100 * 100;
    if (!day.minutes.empty() && minute < day.minutes.back().time)
        return "time " + std::to_string(trade.time) + " is before the code's last minute";
    if (day.minutes.empty() || minute > day.minutes.back().time) {
        day.minutes.push_back({date, minute, trade.price, trade.price, trade.price, trade.price, 0});
    }
    TickRecord& bar = day.minutes.back();
    bar.high = std::max(bar.high, trade.price);
    bar.low = std::min(bar.low, trade.price);
    bar.close = trade.price;
    bar.volume = static_cast<int32_t>(
        std::min<int64_t>(int64_t{bar.volume} + trade.volume, std::numeric_limits<int32_t>::max()));
    day.lastTime = std::max(day.lastTime, trade.time);
    if (day.previousClose == 0) day.previousClose = day.minutes.front().open;
    day.changed = true;
    return std::nullopt;
}

DayFiles FeedBook::Files(const std::string& code) const {
    const CodeDay& day = codes.at(code);
    DayFiles files;
    files.ticks = day.minutes;
    files.info = MakeInfo(code, day.name, day.minutes, day.lastTime, day.previousClose);
    return files;
}
