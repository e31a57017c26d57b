// The chart's in-memory series: bars in the order they were added, with the
// replace-the-last rule and the view counters that follow the newest bar.
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <vector>

#include "data/stock_records.h"

class SeriesStore {
public:
    // Appends a bar, or replaces the last one when it carries the same time.
    // nViewCount is the chart's slot count, read to keep the view on the newest bar.
    void AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume,
                int32_t nViewCount);

    // The store's part of the chart's reset: counters back to their start values,
    // bars gone and their storage released.
    void Reset();
    // Room for that many bars at once: a day's records are counted before they are added.
    void Reserve(size_t count) { bars.reserve(count); }

    int32_t Count() const;
    // The bar at a zero-based index, or nullptr for an index outside 0 .. Count() - 1.
    const BarRecord* At(int64_t index) const;
    // The newest bar, or nullptr when the series is empty.
    const BarRecord* Last() const;

    int32_t nAppendCount = 1;   // appended bars + 1 since the last reset
    int32_t nScrollMax = 0;     // upper end of the scroll range
    int32_t nStartIndex = 0;    // index of the first bar shown

private:
    std::vector<BarRecord> bars;
};
