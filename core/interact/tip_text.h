// The tooltip's line for one bar: its time as A/B and its prices and volume
// grouped by thousands. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "data/stock_records.h"

struct TimeParts {
    std::string a;   // the first two of the last four characters
    std::string b;   // the last two characters
};

// Splits the decimal text of a time (HHMMSS, or YYYYMMDD for the bar built
// from the info file): 93000 gives 30 and 00, 20011015 gives 10 and 15.
TimeParts SplitTipTime(int32_t time);

// The English form; the Korean one is kept with the Windows code so that it is
// stored in the system's code page.
extern const char kTipFormatEnglish[];

// Fills the seven "%s" of format, in order, with A, B and the grouped open,
// high, low, close and volume. Any other text of format is copied as it is.
std::string FormatTipText(const char* format, const BarRecord& bar);

// The bar in words for a screen reader (UTF-8): its time as HH:MM (MM/DD for
// the bar built from the info file) and its prices and volume, named.
std::string AnnounceBar(const BarRecord& bar, bool english);

// The index of the bar shown in a slot, or -1 when the slot names no bar.
int64_t TipBarIndex(int32_t slot, int32_t startIndex, int32_t barCount);
