// Range pass, price scale, candle shape and volume scale of the redraw pass:
// what to draw, computed without drawing. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "data/series_store.h"

// Price and volume range of the records shown (the range pass).
struct ShownRange {
    int32_t maxHigh = 0, minLow = 0, maxVolume = 0, minVolume = 0;
    int32_t records = 0;   // how many records entered the pass
};

// Walks from index `first` over at most viewCount records (at least the first,
// so a chart too narrow for one slot still gets a sane range). Returns false
// when `first` names no record. A record that extends the range adds a margin
// of 10 price units, saturating at the int32 limits.
bool FindShownRange(const SeriesStore& series, int64_t first, int32_t viewCount, ShownRange& out);

// The price scale: offset above the pane's bottom = (v - base) * mul / div.
struct PriceScale {
    int32_t base = 0;     // nValueBase
    int32_t height = 0;   // nValueHeight, a multiple of 5
    int32_t mul = 1;      // nValueMul
    int32_t div = 1;      // nValueDiv
};

struct PriceScaleFit {
    bool valid = false;   // false: pane under 5 pixels, no scale, no grid
    PriceScale scale;
    int32_t minLow = 0;       // the range's low (swapped with high when inverted)
    int32_t maxHigh = 0;      // may be raised by the fit loop (saturates at INT32_MAX)
    int32_t step = 0;         // grid spacing in pixels
    int64_t labels[5] = {};   // label values of the grid lines, bottom up
};

// Fits the price scale to minLow..maxHigh in a pane paneHeight pixels high.
// A range whose high lies below its low is taken the other way round, so the
// scale never has a zero or negative factor.
PriceScaleFit FitPriceScale(int32_t minLow, int32_t maxHigh, int32_t paneHeight);

// Offset of a price above the pane's bottom, computed in 64 bits and clamped
// to 0..paneHeight so nothing is drawn outside the pane.
int32_t PriceOffset(const PriceScale& scale, int32_t value, int32_t paneHeight);

// One candle in pane rows (row = pane bottom - offset). Wicks are lines from
// `from` to `to` with the end point excluded; the body is rows top..bottom-1.
struct CandleShape {
    bool up = false;   // close maps above open: crHighCandle, else crLowCandle
    int32_t upperFrom = 0, upperTo = 0;
    int32_t lowerFrom = 0, lowerTo = 0;
    int32_t bodyTop = 0, bodyBottom = 0;
};
CandleShape ShapeCandle(int32_t highRow, int32_t closeRow, int32_t openRow, int32_t lowRow);

// The volume scale: bar height = (v - base) / perPixel (perPixel 0: v - base).
struct VolumeScale {
    int32_t base = 0;       // nVolumeBase
    int32_t height = 0;     // nVolumeHeight
    int32_t perPixel = 0;   // nVolumePerPixel, rounded up
};

struct VolumeScaleFit {
    bool valid = false;   // false: pane of zero or negative height, draw no scale and no bars
    VolumeScale scale;
    int32_t step = 0;
    std::string labels[3];   // bottom up
};

VolumeScaleFit FitVolumeScale(int32_t minVolume, int32_t maxVolume, int32_t paneHeight, bool english,
                              const char* tenThousandsUnit);

// Bar height in pixels, clamped to 0..scale.height.
int32_t VolumeBarHeight(const VolumeScale& scale, int32_t volume);

// Volume label text: over 10,000 and not English, value / 10,000 in single
// precision, rounded, followed by tenThousandsUnit (kept with the Windows code
// in the system's code page); otherwise the plain number.
std::string VolumeLabel(int64_t value, bool english, const char* tenThousandsUnit);
