#include "data/day_files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little);

bool IsDateNumber(int64_t d) {
    const int64_t year = d / 10000, month = d / 100 % 100, day = d % 100;
    return year >= 1900 && year <= 2999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string FitName(std::string_view cp949Name) {
    constexpr std::size_t kMax = sizeof(StockInfo::name) - 1;
    std::size_t end = 0;
    while (end < cp949Name.size() && cp949Name[end] != '\0') {
        // Bytes from 0x81 up lead a two-byte character.
        const std::size_t width = static_cast<unsigned char>(cp949Name[end]) >= 0x81 ? 2 : 1;
        if (end + width > kMax || end + width > cp949Name.size()) break;
        end += width;
    }
    return std::string(cp949Name.substr(0, end));
}

StockInfo MakeInfo(std::string_view code, std::string_view cp949Name, const std::vector<TickRecord>& ticks,
                   int32_t snapshotTime, int32_t previousClose) {
    StockInfo info{};
    info.date = ticks.front().date;
    info.time = snapshotTime;
    std::memcpy(info.code, code.data(), std::min(code.size(), sizeof info.code));
    const std::string name = FitName(cp949Name);
    std::memcpy(info.name, name.data(), name.size());

    info.open = ticks.front().open;
    info.high = ticks.front().high;
    info.low = ticks.front().low;
    int64_t volume = 0;
    for (const TickRecord& t : ticks) {
        info.high = std::max(info.high, t.high);
        info.low = std::min(info.low, t.low);
        volume += std::max<int32_t>(t.volume, 0);
    }
    info.volume = static_cast<int32_t>(std::min<int64_t>(volume, std::numeric_limits<int32_t>::max()));
    info.current = ticks.back().close;
    const int64_t change = int64_t{info.current} - previousClose;
    info.change = static_cast<int32_t>(
        std::clamp<int64_t>(change, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    return info;
}

std::vector<unsigned char> InfoBytes(const StockInfo& info) {
    std::vector<unsigned char> bytes(sizeof info);
    std::memcpy(bytes.data(), &info, sizeof info);
    return bytes;
}

std::vector<unsigned char> TickBytes(const std::vector<TickRecord>& ticks) {
    std::vector<unsigned char> bytes(ticks.size() * sizeof(TickRecord));
    if (!ticks.empty()) std::memcpy(bytes.data(), ticks.data(), bytes.size());
    return bytes;
}
