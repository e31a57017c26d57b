// Hostile values and odd sizes: the chart draws what it sensibly can, inside
// its panes, and never crashes.
#include <gtest/gtest.h>

#include <climits>

#include "win/support/chart_fixture.h"

namespace {

void Marked(ChartWnd& c) {
    c.Model().settings.crHighCandle = 0x0000FF;
    c.Model().settings.crLowCandle = 0xFF0000;
    c.Model().settings.crStick = 0x00FF00;
}

// Candle and bar pixels in a rectangle.
int Marks(const ChartFixture& f, const RECT& r) {
    return f.Count(r, f.chart.Model().settings.crHighCandle) + f.Count(r, f.chart.Model().settings.crLowCandle) +
           f.Count(r, f.chart.Model().settings.crStick);
}

// Candle pixels outside rcValue and bar pixels outside rcVolume.
void ExpectEverythingInsideThePanes(const ChartFixture& f, int width, int height) {
    const Rect& v = f.chart.Model().rcValue;
    const Rect& vol = f.chart.Model().rcVolume;
    EXPECT_EQ(Marks(f, {0, 0, width, v.top}), 0) << "above the price pane";
    EXPECT_EQ(Marks(f, {0, 0, v.left, height}), 0) << "left of the panes";
    EXPECT_EQ(Marks(f, {v.right, 0, width, height}), 0) << "in the label column";
    EXPECT_EQ(Marks(f, {0, vol.bottom, width, height}), 0) << "under the volume pane";
    EXPECT_EQ(f.Count({0, v.bottom + 1, width, vol.top}, f.chart.Model().settings.crHighCandle) +
                  f.Count({0, v.bottom + 1, width, vol.top}, f.chart.Model().settings.crLowCandle),
              0)
        << "in the band";
}

}   // namespace

TEST(ChartRobust, OpenAndCloseFarOutsideHighLowStayInThePricePane) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, Marked));
    std::vector<BarRecord> bars = MinuteBars(30);
    bars[10] = Bar(91000, INT_MAX, 10010, 9990, INT_MIN, 1000);   // rising far over the top
    bars[11] = Bar(91100, INT_MIN, 10010, 9990, INT_MAX, 1000);
    f.Load(bars);
    ExpectEverythingInsideThePanes(f, 228, 190);
    // The hostile candles are still drawn, clipped to the pane's full height.
    EXPECT_EQ(f.Pixel(8 + 3 * 11, f.chart.Model().rcValue.top), f.chart.Model().settings.crHighCandle);
    EXPECT_EQ(f.Pixel(8 + 3 * 10, f.chart.Model().rcValue.bottom - 1), f.chart.Model().settings.crLowCandle);
}

TEST(ChartRobust, Int32ExtremesEverywhere) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, Marked));
    f.Load({Bar(90000, INT_MIN, INT_MAX, INT_MIN, INT_MAX, INT_MAX),
            Bar(90100, INT_MAX, INT_MAX, INT_MIN, INT_MIN, INT_MIN), Bar(90200, 0, INT_MAX, INT_MAX, 0, INT_MAX),
            Bar(INT_MIN, 0, 0, 0, 0, 0), Bar(INT_MAX, -1, INT_MIN, INT_MAX, 1, -1)});
    EXPECT_EQ(f.chart.Model().nMaxHigh, INT_MAX);
    EXPECT_EQ(f.chart.Model().nMinLow, INT_MIN);
    EXPECT_GT(f.chart.Model().nValueDiv, 0);
    ExpectEverythingInsideThePanes(f, 228, 190);
    EXPECT_GT(f.Count(ToRECT(f.chart.Model().rcValue), f.chart.Model().settings.crHighCandle), 0);
    EXPECT_GT(f.Count(ToRECT(f.chart.Model().rcVolume), f.chart.Model().settings.crStick), 0);
}

TEST(ChartRobust, HighBelowLowDrawsOnANormalisedRange) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, Marked));
    f.Load({Bar(90000, 1000, 900, 1100, 1050, 10)});   // one record, high under low
    EXPECT_EQ(f.chart.Model().nMinLow, 900);
    EXPECT_GE(f.chart.Model().nMaxHigh, 1100);   // raised by the fit, never lowered under the high
    EXPECT_GE(f.chart.Model().nValueMul, 1);
    EXPECT_GE(f.chart.Model().nValueDiv, 1);
    ExpectEverythingInsideThePanes(f, 228, 190);
    EXPECT_EQ(f.chart.Model().series.Count(), 1);
}

TEST(ChartRobust, VolumePaneWithoutHeightDrawsNoBars) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 60, Marked));
    ASSERT_LE(f.chart.Model().rcVolume.bottom - f.chart.Model().rcVolume.top, 0);
    f.Load(MinuteBars(20, 10000, 5000));
    EXPECT_EQ(f.Count({0, 0, 228, 60}, f.chart.Model().settings.crStick), 0);
    // The price pane is still there and holds candles.
    EXPECT_GT(f.Count(ToRECT(f.chart.Model().rcValue), f.chart.Model().settings.crLowCandle) +
                  f.Count(ToRECT(f.chart.Model().rcValue), f.chart.Model().settings.crHighCandle),
              0);
}

TEST(ChartRobust, NoSlotsNoRecords) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, Marked));
    f.Load(MinuteBars(20));
    ASSERT_GT(Marks(f, {0, 0, 228, 190}), 0);
    // Narrower than the label column: the frame has no slot at all.
    f.Resize(40, 190);
    EXPECT_LE(f.chart.Model().nViewCount, 0);
    EXPECT_EQ(Marks(f, {0, 0, 40, 190}), 0);
    // Loading into the narrow chart draws nothing either, and growing it again
    // brings the records back.
    f.Load(MinuteBars(20));
    EXPECT_EQ(Marks(f, {0, 0, 40, 190}), 0);
    f.Resize(228, 190);
    EXPECT_EQ(f.chart.Model().nViewCount, 60);
    EXPECT_GT(Marks(f, {0, 0, 228, 190}), 0);
    ExpectEverythingInsideThePanes(f, 228, 190);
}

TEST(ChartRobust, HostileGapsDoNotCrash) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, [](ChartWnd& c) {
        Marked(c);
        c.Model().settings.nsizeGapX = INT_MAX;
        c.Model().settings.nsizeGapY = INT_MIN;
    }));
    f.Load(MinuteBars(20));
    EXPECT_LE(f.chart.Model().nViewCount, 0);
    EXPECT_EQ(Marks(f, {0, 0, 228, 190}), 0);
}

TEST(ChartRobust, ClientLargerThanTheBitmapShowsBackground) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const int w = sw + 100, h = sh + 60;
    ChartFixture f;
    ASSERT_TRUE(f.Create(w, h, Marked));
    ASSERT_EQ(f.chart.sizeMem.cx, sw);
    f.Load(MinuteBars(50));

    // Paint into a surface first filled with a colour the chart never uses.
    void* bits = nullptr;
    Bitmap target(CreateTopDownDib32(nullptr, w, h, bits));
    MemoryDC dc(nullptr);
    ASSERT_TRUE(target && dc);
    SelectGuard guard(dc, target);
    FillSolidRect(dc, {0, 0, w, h}, 0x123456);
    f.chart.CopySurface(dc);

    EXPECT_EQ(GetPixel(dc, sw + 50, 10), f.chart.Model().settings.crMainBackGround);
    EXPECT_EQ(GetPixel(dc, w - 1, h - 1), f.chart.Model().settings.crMainBackGround);
    EXPECT_EQ(GetPixel(dc, 10, sh + 30), f.chart.Model().settings.crMainBackGround);
    // Inside the bitmap the chart itself shows.
    EXPECT_EQ(GetPixel(dc, 100, 10), f.chart.Model().settings.crCurrentBarBackGround);
    int garbage = 0;
    for (int y = 0; y < h; y += 7)
        for (int x = 0; x < w; x += 7) garbage += GetPixel(dc, x, y) == 0x123456;
    EXPECT_EQ(garbage, 0);
}
