// In-memory info and intraday data files for load tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/stock_records.h"

// An info record for one code on one date with plausible prices.
StockInfo MakeInfo(const char* code, int32_t date);
std::string InfoFile(const StockInfo& info);

// count records from 09:00:00, stepSeconds apart, all dated `date` (only the
// first record's date is read).
std::vector<TickRecord> MakeTicks(int32_t date, int count, int stepSeconds = 60);
std::string DataFile(const std::vector<TickRecord>& ticks);
