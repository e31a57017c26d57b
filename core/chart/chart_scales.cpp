#include "chart/chart_scales.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp(v, kMin32, kMax32));
}

}   // namespace

bool FindShownRange(const SeriesStore& series, int64_t first, int32_t viewCount, ShownRange& out) {
    const BarRecord* bar = series.At(first);
    if (!bar) return false;
    out = {bar->high, bar->low, bar->volume, bar->volume, 1};
    const int64_t limit = std::max(viewCount, 1);
    for (int64_t i = first + 1; out.records < limit; ++i) {
        bar = series.At(i);
        if (!bar) break;
        if (bar->high > out.maxHigh) out.maxHigh = Clamp32(int64_t{bar->high} + 10);
        if (bar->low < out.minLow) out.minLow = Clamp32(int64_t{bar->low} - 10);
        if (bar->volume > out.maxVolume) out.maxVolume = bar->volume;
        out.minVolume = 0;
        ++out.records;
    }
    return true;
}

PriceScaleFit FitPriceScale(int32_t minLow, int32_t maxHigh, int32_t paneHeight) {
    PriceScaleFit fit;
    if (maxHigh < minLow) std::swap(minLow, maxHigh);
    fit.minLow = minLow;
    fit.maxHigh = maxHigh;
    const int64_t step = paneHeight / 5;
    const int64_t h = step * 5;
    if (h <= 0) return fit;

    const int64_t lo = minLow, hi = maxHigh;
    int64_t top = hi, mul = 1, div = 1;
    const auto rescale = [&](int64_t range) {
        if (h > range)
            mul = h / range;
        else if (h < range)
            div = range / h;
    };
    if (hi > lo) rescale(hi - lo);
    // Raise the top of the range by 10 until the range's high fits in the
    // pane. This runs only when the range exceeds h (mul is then 1); each raise
    // grows div, so it ends after at most about h / 10 rounds. 64-bit values
    // keep it going past INT32_MAX instead of sticking there.
    while ((hi - lo) * mul / div > paneHeight) {
        top += 10;
        rescale(top - lo);
    }
    fit.valid = true;
    fit.maxHigh = Clamp32(top);
    fit.scale = {minLow, static_cast<int32_t>(h), static_cast<int32_t>(mul), Clamp32(div)};
    fit.step = static_cast<int32_t>(step);
    for (int i = 0; i < 5; ++i) fit.labels[i] = lo + (step * i / mul) * div;
    return fit;
}

int32_t PriceOffset(const PriceScale& scale, int32_t value, int32_t paneHeight) {
    const int64_t div = scale.div > 0 ? scale.div : 1;
    const int64_t offset = (int64_t{value} - scale.base) * scale.mul / div;
    return static_cast<int32_t>(std::clamp<int64_t>(offset, 0, std::max(paneHeight, 0)));
}

CandleShape ShapeCandle(int32_t highRow, int32_t closeRow, int32_t openRow, int32_t lowRow) {
    CandleShape c;
    c.up = closeRow < openRow;
    if (c.up) {
        c.upperFrom = highRow, c.upperTo = closeRow;
        c.lowerFrom = openRow, c.lowerTo = lowRow;
        c.bodyTop = closeRow, c.bodyBottom = openRow;
        return c;
    }
    c.upperFrom = highRow, c.upperTo = openRow;
    c.lowerFrom = closeRow, c.lowerTo = lowRow;
    c.bodyTop = openRow;
    // A flat candle still shows its one row.
    c.bodyBottom = closeRow > openRow ? closeRow : openRow + 1;
    return c;
}

VolumeScaleFit FitVolumeScale(int32_t minVolume, int32_t maxVolume, int32_t paneHeight, bool english,
                              const char* tenThousandsUnit) {
    VolumeScaleFit fit;
    // A pane without height has no scale: per pixel would divide by zero.
    if (paneHeight <= 0) return fit;
    if (maxVolume < minVolume) std::swap(minVolume, maxVolume);
    const int64_t range = int64_t{maxVolume} - minVolume;
    const int64_t per = range / paneHeight + (range % paneHeight != 0 ? 1 : 0);
    const int64_t step = paneHeight / 3;
    fit.valid = true;
    fit.scale = {minVolume, paneHeight, Clamp32(per)};
    fit.step = static_cast<int32_t>(step);
    for (int i = 0; i < 3; ++i) fit.labels[i] = VolumeLabel(minVolume + step * i * per, english, tenThousandsUnit);
    return fit;
}

int32_t VolumeBarHeight(const VolumeScale& scale, int32_t volume) {
    int64_t h = int64_t{volume} - scale.base;
    if (scale.perPixel != 0) h /= scale.perPixel;
    return static_cast<int32_t>(std::clamp<int64_t>(h, 0, std::max(scale.height, 0)));
}

std::string VolumeLabel(int64_t value, bool english, const char* tenThousandsUnit) {
    // Halves round away from zero (2.5 -> 3) as the classic C runtime printed
    // them; today's runtimes round to even, so the core rounds itself.
    if (value > 10000 && !english)
        return std::to_string(static_cast<int64_t>(std::round(static_cast<float>(value) / 10000.0f))) +
               tenThousandsUnit;
    return std::to_string(value);
}
