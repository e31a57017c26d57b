#include <gtest/gtest.h>

#include <climits>

#include "chart/chart_scales.h"

namespace {

const char kUnit[] = "만";

SeriesStore Bars(std::initializer_list<BarRecord> bars) {
    SeriesStore s;
    int32_t t = 90000;
    for (const BarRecord& b : bars) s.AddBar(t++, b.open, b.high, b.low, b.close, b.volume, 1000);
    return s;
}

// Rows of a price in a pane whose bottom is row 100 and that is 100 high.
int32_t Row(const PriceScaleFit& fit, int32_t v) {
    return 100 - PriceOffset(fit.scale, v, 100);
}

}   // namespace

TEST(ChartRange, FirstRecordSetsRangeLaterOnesAddMargin) {
    ShownRange r;
    SeriesStore one = Bars({{100, 120, 90, 110, 500, 0}});
    ASSERT_TRUE(FindShownRange(one, 0, 60, r));
    EXPECT_EQ(r.maxHigh, 120);
    EXPECT_EQ(r.minLow, 90);
    EXPECT_EQ(r.maxVolume, 500);
    EXPECT_EQ(r.minVolume, 500);

    SeriesStore two = Bars({{4900, 4950, 4800, 4900, 10, 0}, {4900, 5000, 4700, 4950, 30, 0}});
    ASSERT_TRUE(FindShownRange(two, 0, 60, r));
    EXPECT_EQ(r.maxHigh, 5010);
    EXPECT_EQ(r.minLow, 4690);
    EXPECT_EQ(r.maxVolume, 30);
    EXPECT_EQ(r.minVolume, 0);

    EXPECT_FALSE(FindShownRange(two, 2, 60, r));
    EXPECT_FALSE(FindShownRange(two, -1, 60, r));
}

TEST(ChartRange, LimitedToViewCountAndSaturatesAtExtremes) {
    SeriesStore s = Bars({{1, 10, 1, 5, 1, 0}, {1, 20, 1, 5, 2, 0}, {1, 30, 1, 5, 3, 0}});
    ShownRange r;
    ASSERT_TRUE(FindShownRange(s, 0, 2, r));
    EXPECT_EQ(r.records, 2);
    EXPECT_EQ(r.maxHigh, 30);   // 20 + 10, the third record is not shown
    // No slot at all: only the first record enters, the pass does not run on.
    ASSERT_TRUE(FindShownRange(s, 0, 0, r));
    EXPECT_EQ(r.records, 1);

    SeriesStore extreme = Bars({{0, 0, 0, 0, 0, 0}, {0, INT_MAX, INT_MIN, 0, INT_MAX, 0}});
    ASSERT_TRUE(FindShownRange(extreme, 0, 60, r));
    EXPECT_EQ(r.maxHigh, INT_MAX);
    EXPECT_EQ(r.minLow, INT_MIN);
}

TEST(ChartPriceScale, SmallRangeStretches) {
    const PriceScaleFit fit = FitPriceScale(1000, 1050, 100);
    ASSERT_TRUE(fit.valid);
    EXPECT_EQ(fit.step, 20);
    EXPECT_EQ(fit.scale.height, 100);
    EXPECT_EQ(fit.scale.mul, 2);
    EXPECT_EQ(fit.scale.div, 1);
    EXPECT_EQ(fit.maxHigh, 1050);
    const int64_t want[5] = {1000, 1010, 1020, 1030, 1040};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fit.labels[i], want[i]) << i;
    EXPECT_EQ(Row(fit, 1050), 0);
}

TEST(ChartPriceScale, FitLoopRaisesHighUntilItFits) {
    const PriceScaleFit fit = FitPriceScale(10000, 10150, 100);
    ASSERT_TRUE(fit.valid);
    EXPECT_EQ(fit.maxHigh, 10200);
    EXPECT_EQ(fit.scale.div, 2);
    EXPECT_EQ(fit.scale.mul, 1);
    EXPECT_EQ(PriceOffset(fit.scale, 10150, 100), 75);
    const int64_t want[5] = {10000, 10040, 10080, 10120, 10160};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fit.labels[i], want[i]) << i;
    // Open 10,000 and close 10,001 land on the same row.
    EXPECT_EQ(PriceOffset(fit.scale, 10001, 100), 0);
}

TEST(ChartPriceScale, FlatRangeAndPaneHeightNotMultipleOfFive) {
    const PriceScaleFit flat = FitPriceScale(5000, 5000, 94);
    ASSERT_TRUE(flat.valid);
    EXPECT_EQ(flat.scale.height, 90);
    EXPECT_EQ(flat.scale.mul, 1);
    EXPECT_EQ(flat.scale.div, 1);
    const int64_t want[5] = {5000, 5018, 5036, 5054, 5072};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(flat.labels[i], want[i]) << i;
    EXPECT_EQ(PriceOffset(flat.scale, 5000, 94), 0);
    // Under 5 pixels there is no scale at all.
    EXPECT_FALSE(FitPriceScale(1, 2, 4).valid);
    EXPECT_FALSE(FitPriceScale(1, 2, -20).valid);
}

TEST(ChartPriceScale, HighBelowLowIsTakenTheOtherWayRound) {
    const PriceScaleFit fit = FitPriceScale(1050, 1000, 100);
    ASSERT_TRUE(fit.valid);
    EXPECT_EQ(fit.minLow, 1000);
    EXPECT_EQ(fit.maxHigh, 1050);
    EXPECT_GE(fit.scale.mul, 1);
    EXPECT_GE(fit.scale.div, 1);
    EXPECT_EQ(fit.labels[1], 1010);
}

TEST(ChartPriceScale, ExtremeRangeFitsWithoutOverflow) {
    for (int32_t pane : {5, 7, 94, 100, 657, 1000}) {
        const PriceScaleFit fit = FitPriceScale(INT_MIN, INT_MAX, pane);
        ASSERT_TRUE(fit.valid) << pane;
        EXPECT_EQ(fit.minLow, INT_MIN);
        EXPECT_EQ(fit.maxHigh, INT_MAX);   // the raised top saturates in 32 bits
        EXPECT_LE(PriceOffset(fit.scale, INT_MAX, pane), pane);
        EXPECT_EQ(PriceOffset(fit.scale, INT_MIN, pane), 0);
        for (int i = 1; i < 5; ++i) EXPECT_GT(fit.labels[i], fit.labels[i - 1]);
    }
    // Near the top of the int32 range the raised high passes INT32_MAX in 64 bits.
    const PriceScaleFit top = FitPriceScale(INT_MAX - 150, INT_MAX, 100);
    ASSERT_TRUE(top.valid);
    EXPECT_EQ(top.maxHigh, INT_MAX);
    EXPECT_EQ(top.scale.div, 2);
    EXPECT_LE(PriceOffset(top.scale, INT_MAX, 100), 100);
}

TEST(ChartPriceScale, OffsetsOutsideTheRangeAreClampedToThePane) {
    const PriceScaleFit fit = FitPriceScale(1000, 1050, 100);
    EXPECT_EQ(PriceOffset(fit.scale, INT_MAX, 100), 100);
    EXPECT_EQ(PriceOffset(fit.scale, INT_MIN, 100), 0);
    EXPECT_EQ(PriceOffset(fit.scale, 1025, 100), 50);
}

TEST(ChartCandle, UpDownAndFlatShapes) {
    // Rows grow downwards: close above open is an up candle.
    const CandleShape up = ShapeCandle(10, 20, 40, 50);
    EXPECT_TRUE(up.up);
    EXPECT_EQ(up.upperFrom, 10);
    EXPECT_EQ(up.upperTo, 20);
    EXPECT_EQ(up.lowerFrom, 40);
    EXPECT_EQ(up.lowerTo, 50);
    EXPECT_EQ(up.bodyTop, 20);
    EXPECT_EQ(up.bodyBottom, 40);

    const CandleShape down = ShapeCandle(10, 40, 20, 50);
    EXPECT_FALSE(down.up);
    EXPECT_EQ(down.upperTo, 20);
    EXPECT_EQ(down.lowerFrom, 40);
    EXPECT_EQ(down.bodyTop, 20);
    EXPECT_EQ(down.bodyBottom, 40);

    const CandleShape flat = ShapeCandle(10, 30, 30, 50);
    EXPECT_FALSE(flat.up);
    EXPECT_EQ(flat.bodyTop, 30);
    EXPECT_EQ(flat.bodyBottom, 31);
}

TEST(ChartVolumeScale, WorkedExamples) {
    const VolumeScaleFit ko = FitVolumeScale(0, 150000, 50, false, kUnit);
    ASSERT_TRUE(ko.valid);
    EXPECT_EQ(ko.step, 16);
    EXPECT_EQ(ko.scale.perPixel, 3000);
    EXPECT_EQ(ko.labels[0], "0");
    EXPECT_EQ(ko.labels[1], "5만");
    EXPECT_EQ(ko.labels[2], "10만");
    EXPECT_EQ(VolumeBarHeight(ko.scale, 150000), 50);

    const VolumeScaleFit en = FitVolumeScale(0, 150000, 50, true, kUnit);
    EXPECT_EQ(en.labels[1], "48000");
    EXPECT_EQ(en.labels[2], "96000");

    const VolumeScaleFit odd = FitVolumeScale(0, 151001, 50, false, kUnit);
    EXPECT_EQ(odd.scale.perPixel, 3021);
    EXPECT_EQ(VolumeBarHeight(odd.scale, 151001), 49);
}

TEST(ChartVolumeScale, OneRecordAndLabelBoundary) {
    const VolumeScaleFit one = FitVolumeScale(25000, 25000, 50, false, kUnit);
    ASSERT_TRUE(one.valid);
    EXPECT_EQ(one.scale.perPixel, 0);
    EXPECT_EQ(VolumeBarHeight(one.scale, 25000), 0);
    // Halves round away from zero, whatever the runtime's printf does.
    for (const std::string& l : one.labels) EXPECT_EQ(l, "3만");
    EXPECT_EQ(VolumeLabel(45000, false, kUnit), "5만");
    EXPECT_EQ(VolumeLabel(44999, false, kUnit), "4만");
    EXPECT_EQ(VolumeLabel(10000, false, kUnit), "10000");
    EXPECT_EQ(VolumeLabel(10000, true, kUnit), "10000");
    EXPECT_EQ(VolumeLabel(10001, false, kUnit), "1만");
    EXPECT_EQ(VolumeLabel(-20000, false, kUnit), "-20000");
}

TEST(ChartVolumeScale, NoPaneNoScaleAndHostileRanges) {
    EXPECT_FALSE(FitVolumeScale(0, 1000, 0, false, kUnit).valid);
    EXPECT_FALSE(FitVolumeScale(0, 1000, -7, false, kUnit).valid);

    // Negative volumes can leave the maximum below the zero minimum.
    const VolumeScaleFit inverted = FitVolumeScale(0, -300, 30, true, kUnit);
    ASSERT_TRUE(inverted.valid);
    EXPECT_EQ(inverted.scale.base, -300);
    EXPECT_EQ(VolumeBarHeight(inverted.scale, 0), 30);
    EXPECT_EQ(VolumeBarHeight(inverted.scale, -300), 0);

    const VolumeScaleFit wide = FitVolumeScale(INT_MIN, INT_MAX, 1, true, kUnit);
    ASSERT_TRUE(wide.valid);
    EXPECT_EQ(VolumeBarHeight(wide.scale, INT_MAX), 1);
    EXPECT_EQ(VolumeBarHeight(wide.scale, INT_MIN), 0);
    // Bars never leave the pane, whatever the stored scale says.
    EXPECT_EQ(VolumeBarHeight({0, 50, 1}, INT_MAX), 50);
    EXPECT_EQ(VolumeBarHeight({0, 50, 1}, -5), 0);
}
