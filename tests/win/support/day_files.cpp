#include "win/support/day_files.h"

#include <algorithm>
#include <cstring>

StockInfo MakeInfo(const char* code, int32_t date) {
    StockInfo info{};
    info.date = date;
    info.time = 153000;
    std::memcpy(info.code, code, std::min<size_t>(std::strlen(code), sizeof info.code));
    std::strcpy(info.name, "Test Instrument");
    info.open = 50000;
    info.high = 51500;
    info.low = 49800;
    info.current = 51000;
    info.volume = 1234567;
    info.change = 1000;
    return info;
}

std::string InfoFile(const StockInfo& info) {
    return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

std::vector<TickRecord> MakeTicks(int32_t date, int count, int stepSeconds) {
    std::vector<TickRecord> ticks;
    for (int i = 0; i < count; ++i) {
        const int32_t s = i * stepSeconds;
        const int32_t time = (9 + s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
        int32_t base = 50000 + (i % 17) * 50 - (i % 5) * 30;
        ticks.push_back({date, time, base, base + 120, base - 90, base + ((i % 2) ? 60 : -40), 1000 + i * 3});
    }
    return ticks;
}

std::string DataFile(const std::vector<TickRecord>& ticks) {
    return std::string(reinterpret_cast<const char*>(ticks.data()), ticks.size() * sizeof(TickRecord));
}
