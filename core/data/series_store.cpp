#include "data/series_store.h"

void SeriesStore::AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume,
                         int32_t nViewCount) {
    const BarRecord bar{open, high, low, close, volume, time};
    // Only the last bar is compared: an equal time replaces it in place.
    if (!bars.empty() && bars.back().time == time) {
        bars.back() = bar;
        return;
    }
    bars.push_back(bar);
    // nAppendCount cannot pass INT32_MAX: the reader caps a file far below that.
    ++nAppendCount;
    if (nViewCount < nAppendCount) {
        ++nScrollMax;
        ++nStartIndex;
    }
}

void SeriesStore::Reset() {
    nAppendCount = 1;
    nScrollMax = 0;
    nStartIndex = 0;
    std::vector<BarRecord>().swap(bars);
}

int32_t SeriesStore::Count() const {
    return static_cast<int32_t>(bars.size());
}

const BarRecord* SeriesStore::At(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(bars.size())) return nullptr;
    return &bars[static_cast<size_t>(index)];
}

const BarRecord* SeriesStore::Last() const {
    return bars.empty() ? nullptr : &bars.back();
}
