// A reproducible synthetic trading day: a seeded random walk of tick-rounded
// prices with a U-shaped intraday volume. Integer arithmetic only, so a seed
// gives the same day on every platform. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "data/day_files.h"

struct SampleRequest {
    std::string code;
    std::string cp949Name;
    int32_t date = 0;   // YYYYMMDD
    uint64_t seed = 949;
    int32_t previousClose = 0;   // the day before's close; 0 picks one from the seed
    bool seconds = false;        // one record a second (23,400) instead of a minute (391)
};

inline constexpr uint64_t kDefaultSampleSeed = 949;

// Price step of the Korean exchange for a given price level.
int32_t TickSize(int32_t price);

DayFiles MakeSampleDay(const SampleRequest& request);
