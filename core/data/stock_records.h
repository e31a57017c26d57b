// Byte layouts of the two data files and of one bar of the in-memory series.
// Portable: no Windows header. All integers are little-endian int32.
#pragma once

#include <cstddef>
#include <cstdint>

// The info file: exactly one 128-byte record.
struct StockInfo {
    int32_t date;    // YYYYMMDD
    int32_t time;    // HHMMSS
    char code[6];    // no terminator needed: readers copy at most 6 bytes
    char name[31];   // ended by NUL or by its 31st byte
    char unused1[11];
    int32_t open;
    int32_t high;
    int32_t low;
    int32_t current;
    int32_t volume;
    int32_t change;
    char unused2[48];
};
static_assert(sizeof(StockInfo) == 128);
static_assert(offsetof(StockInfo, code) == 8);
static_assert(offsetof(StockInfo, name) == 14);
static_assert(offsetof(StockInfo, open) == 56);
static_assert(offsetof(StockInfo, current) == 68);
static_assert(offsetof(StockInfo, change) == 76);

// The two files of a day.
enum class DayFile : uint8_t { Info, Data };

// One record of the intraday data file, 28 bytes.
struct TickRecord {
    int32_t date;   // only the first record's date is read
    int32_t time;   // HHMMSS, hour without leading zero
    int32_t open;
    int32_t high;
    int32_t low;
    int32_t close;
    int32_t volume;
};
static_assert(sizeof(TickRecord) == 28);
static_assert(offsetof(TickRecord, time) == 4);
static_assert(offsetof(TickRecord, volume) == 24);

// One bar of the series; the time comes last in memory.
struct BarRecord {
    int32_t open;
    int32_t high;
    int32_t low;
    int32_t close;
    int32_t volume;
    int32_t time;   // HHMMSS, or YYYYMMDD for the bar built from the info file
};
static_assert(sizeof(BarRecord) == 24);
static_assert(offsetof(BarRecord, time) == 20);
