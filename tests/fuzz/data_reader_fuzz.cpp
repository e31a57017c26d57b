// Data file reading on arbitrary bytes. The first 128 bytes (when there are
// that many) become the info record, so the date test and the synthesised bar
// see real dates from the seeds; the rest is the data file, fed into a series.
// Checked: at most one bar per record plus one, the synthesised bar only when
// its rule allows, and the series never longer than the calls.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/file_readers.h"
#include "data/series_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StockInfo info{};
    if (size >= sizeof info) {
        std::memcpy(&info, data, sizeof info);
        data += sizeof info;
        size -= sizeof info;
    }
    const size_t records = size / sizeof(TickRecord);
    int32_t dataDate = 0;
    if (size >= 4) std::memcpy(&dataDate, data, 4);

    SeriesStore series;
    size_t calls = 0;
    int32_t lastTime = 0;
    ReadDataFile(data, size, info, [&](int32_t t, int32_t o, int32_t h, int32_t l, int32_t c, int32_t v) {
        ++calls;
        lastTime = t;
        series.AddBar(t, o, h, l, c, v, 60);
    });

    if (calls > records + 1) std::abort();
    if (calls == records + 1 && (info.date <= 0 || dataDate > info.date)) std::abort();
    if (static_cast<size_t>(series.Count()) > calls) std::abort();
    if (calls > 0 && (series.Last() == nullptr || series.Last()->time != lastTime)) std::abort();
    if (series.nStartIndex != series.nScrollMax || series.nStartIndex < 0) std::abort();
    return 0;
}
