// One instrument's day as the two files the chart reads: the info record and
// the intraday records. Portable: no Windows header, no iconv.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/stock_records.h"

struct DayFiles {
    StockInfo info{};
    std::vector<TickRecord> ticks;
};

// A plausible YYYYMMDD: year 1900..2999, month 1..12, day 1..31.
bool IsDateNumber(int64_t yyyymmdd);

// The name field holds at most 30 bytes so a NUL always ends it; a CP949
// double-byte character is never cut in half.
std::string FitName(std::string_view cp949Name);

// An info snapshot consistent with the ticks: the first tick's date, open =
// first open, high/low = day extremes, current = last close, volume = day total
// (capped at INT32_MAX), change = current - previousClose. ticks must not be empty.
StockInfo MakeInfo(std::string_view code, std::string_view cp949Name, const std::vector<TickRecord>& ticks,
                   int32_t snapshotTime, int32_t previousClose);

// The files' bytes, little-endian, exactly as the chart reads them.
std::vector<unsigned char> InfoBytes(const StockInfo& info);
std::vector<unsigned char> TickBytes(const std::vector<TickRecord>& ticks);
