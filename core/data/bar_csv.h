// Bars from CSV text: date,time,open,high,low,close,volume per line, an
// optional header line first. Portable: no Windows header.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/stock_records.h"

struct CsvError {
    int line = 0;        // 1-based line of the text
    std::string field;   // the column the fault is in
    std::string why;
};

// Parses every bar or stops at the first fault. Checked: seven whole numbers
// per line, a real date and time of day, one date for the whole file, times
// strictly increasing, positive prices with low <= open, close <= high,
// volume >= 0, and no more records than a data file may hold.
bool ParseBarsCsv(std::string_view text, std::vector<TickRecord>& bars, CsvError& error);
