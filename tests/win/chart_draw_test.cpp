// Pixels of the default 228 x 190 chart read back from its off-screen surface.
// Layout: rcValue (5,23,185,117), rcVolume (5,122,185,172), 60 slots; the k-th
// record drawn has its centre column at 8 + 3k.
#include <gtest/gtest.h>

#include "win/support/chart_fixture.h"

namespace {

// Distinct colours so every element can be told apart.
void Distinct(ChartWnd& c) {
    c.settings.crMainBackGround = 0xEEEEEE;
    c.settings.crValueBackGround = 0xF0FFFF;
    c.settings.crVolumeBackGround = 0xFFF0FF;
    c.settings.crBoxLine = 0xFF0000;
    c.settings.crValueHorizonalLine = 0xC0C0C0;
    c.settings.crVolumeHorizonalLine = 0xA0A0A0;
    c.settings.crHighCandle = 0x0000FF;
    c.settings.crLowCandle = 0x804000;
    c.settings.crStick = 0x00C000;
    c.settings.crValueText = 0x000080;
    c.settings.crVolumeText = 0x800080;
    c.settings.crTime = 0x008080;
}

// Prices chosen so the scale is 1 pixel per unit: range 980..1030 (the second
// record's 1020 high and 990 low widen it by 10), below 90 usable pixels, so
// the row of price v is 117 - (v - 980).
std::vector<BarRecord> FourCandles() {
    return {Bar(90000, 1000, 1000, 1000, 1000, 1000),    // flat
            Bar(90100, 1000, 1020, 990, 1010, 3000),     // up
            Bar(90200, 1010, 1015, 995, 1000, 2000),     // down
            Bar(90300, 1005, 1005, 1005, 1005, 500)};    // flat, different price
}

int Row(int price) { return 117 - (price - 980); }

class ChartDraw : public ::testing::Test {
protected:
    ChartFixture f;
    ChartWnd& c = f.chart;
    void SetUp() override { ASSERT_TRUE(f.Create(228, 190, Distinct)); }
};

}  // namespace

TEST_F(ChartDraw, EmptyFramesAfterCreation) {
    EXPECT_EQ(c.nViewCount, 60);
    // Frame outline on all four edges, the volume pane's top edge divides the panes.
    EXPECT_EQ(f.Pixel(5, 23), c.settings.crBoxLine);
    EXPECT_EQ(f.Pixel(184, 60), c.settings.crBoxLine);
    EXPECT_EQ(f.Pixel(100, 171), c.settings.crBoxLine);
    EXPECT_EQ(f.Pixel(5, 150), c.settings.crBoxLine);
    EXPECT_EQ(f.Pixel(100, 122), c.settings.crBoxLine);
    // Fills: frame, the 5-pixel band above the volume pane, the volume pane.
    EXPECT_EQ(f.Pixel(100, 60), c.settings.crValueBackGround);
    for (int y = 117; y <= 121; ++y) EXPECT_EQ(f.Pixel(100, y), c.settings.crValueBackGround) << y;
    EXPECT_EQ(f.Pixel(100, 150), c.settings.crVolumeBackGround);
    // Outside the frame: main background, no strip without data.
    EXPECT_EQ(f.Pixel(185, 60), c.settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(100, 172), c.settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(100, 10), c.settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(2, 2), c.settings.crMainBackGround);
}

TEST_F(ChartDraw, CandlesUpDownFlat) {
    f.Load(FourCandles());
    EXPECT_EQ(c.nMinLow, 980);
    EXPECT_EQ(c.nMaxHigh, 1030);
    EXPECT_EQ(c.nValueMul, 1);
    EXPECT_EQ(c.nValueDiv, 1);

    // Record 1, up, column 11: body close..open rows, wicks with end point excluded.
    for (int x = 10; x <= 12; ++x) {
        EXPECT_EQ(f.Pixel(x, Row(1010)), c.settings.crHighCandle) << x;
        EXPECT_EQ(f.Pixel(x, Row(1000) - 1), c.settings.crHighCandle) << x;
    }
    EXPECT_EQ(f.Pixel(11, Row(1020)), c.settings.crHighCandle);       // upper wick starts at high
    EXPECT_NE(f.Pixel(11, Row(1020) - 1), c.settings.crHighCandle);
    EXPECT_EQ(f.Pixel(11, Row(1000)), c.settings.crHighCandle);       // lower wick from open's row
    EXPECT_EQ(f.Pixel(11, Row(990) - 1), c.settings.crHighCandle);
    EXPECT_NE(f.Pixel(11, Row(990)), c.settings.crHighCandle);        // low's row excluded
    EXPECT_NE(f.Pixel(10, Row(1000)), c.settings.crHighCandle);       // wick is one column

    // Record 2, down, column 14: body from open's row down to close's.
    for (int x = 13; x <= 15; ++x) {
        EXPECT_EQ(f.Pixel(x, Row(1010)), c.settings.crLowCandle) << x;
        EXPECT_EQ(f.Pixel(x, Row(1000) - 1), c.settings.crLowCandle) << x;
    }
    EXPECT_NE(f.Pixel(13, Row(1000)), c.settings.crLowCandle);        // close's row: wick only
    EXPECT_EQ(f.Pixel(14, Row(1000)), c.settings.crLowCandle);
    EXPECT_EQ(f.Pixel(14, Row(1015)), c.settings.crLowCandle);
    EXPECT_NE(f.Pixel(14, Row(995)), c.settings.crLowCandle);

    // Flat records: one row, three columns, in crLowCandle.
    for (int x = 7; x <= 9; ++x) EXPECT_EQ(f.Pixel(x, Row(1000)), c.settings.crLowCandle) << x;
    EXPECT_NE(f.Pixel(8, Row(1000) - 1), c.settings.crLowCandle);
    EXPECT_NE(f.Pixel(8, Row(1000) + 1), c.settings.crLowCandle);
    for (int x = 16; x <= 18; ++x) EXPECT_EQ(f.Pixel(x, Row(1005)), c.settings.crLowCandle) << x;
    // Nothing beyond the last record.
    EXPECT_EQ(f.Count({19, 23, 185, 117}, c.settings.crLowCandle) + f.Count({19, 23, 185, 117}, c.settings.crHighCandle), 0);
}

TEST_F(ChartDraw, VolumeBarsAndGrids) {
    f.Load(FourCandles());
    // Volumes 1000, 3000, 2000, 500 over 0..3000 in 50 pixels: 60 per pixel.
    EXPECT_EQ(c.nVolumePerPixel, 60);
    const int heights[4] = {16, 50, 33, 8};
    for (int k = 0; k < 4; ++k) {
        const int x = 8 + 3 * k;
        for (int dx = -1; dx <= 1; ++dx) {
            EXPECT_EQ(f.Pixel(x + dx, 171), c.settings.crStick) << k;
            EXPECT_EQ(f.Pixel(x + dx, 172 - heights[k]), c.settings.crStick) << k;
        }
        if (heights[k] < 50) EXPECT_NE(f.Pixel(x, 171 - heights[k]), c.settings.crStick) << k;
        EXPECT_NE(f.Pixel(x, 172), c.settings.crStick) << k;
    }
    // Price grid: five lines 18 pixels apart from the pane's bottom; none at the top.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.Pixel(150, 117 - 18 * i), c.settings.crValueHorizonalLine) << i;
        EXPECT_EQ(f.Pixel(6, 117 - 18 * i), c.settings.crValueHorizonalLine) << i;
        EXPECT_NE(f.Pixel(184, 117 - 18 * i), c.settings.crValueHorizonalLine) << i;   // end excluded
    }
    EXPECT_EQ(f.Count({6, 24, 184, 117 - 18 * 4}, c.settings.crValueHorizonalLine), 0);
    // Volume grid: three lines 16 apart from the pane's bottom.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.Pixel(150, 172 - 16 * i), c.settings.crVolumeHorizonalLine) << i;
    EXPECT_EQ(f.Count({6, 123, 184, 140}, c.settings.crVolumeHorizonalLine), 0);
}

TEST_F(ChartDraw, LabelsInTheirRectangles) {
    f.Load(FourCandles());
    // Price labels right of the pane at each grid line (the left ones fall
    // mostly outside the client area with the default gap).
    for (int i = 0; i < 5; ++i) {
        const int y = 117 - 18 * i;
        EXPECT_GT(f.Count({186, y - 5, 228, y + 7}, c.settings.crValueText), 0) << i;
    }
    for (int i = 0; i < 3; ++i) {
        const int y = 172 - 16 * i;
        EXPECT_GT(f.Count({186, y - 5, 228, y + 7}, c.settings.crVolumeText), 0) << i;
    }
    // Volume labels never appear left of the volume pane.
    EXPECT_EQ(f.Count({0, 122, 5, 190}, c.settings.crVolumeText), 0);
}

TEST_F(ChartDraw, TimeLabelUnderSeventeenthRecord) {
    f.Load(MinuteBars(40));
    // 17th record drawn: column 8 + 48 = 56; tick on the 5 rows under the pane.
    for (int y = 172; y < 177; ++y) EXPECT_EQ(f.Pixel(56, y), c.settings.crTime) << y;
    EXPECT_NE(f.Pixel(56, 177), c.settings.crTime);
    EXPECT_GT(f.Count({41, 177, 71, 190}, c.settings.crTime), 0);
    // No other tick before it; the next is under the 33rd record (column 104).
    for (int x = 6; x < 184; ++x)
        if (x != 56 && x != 104) EXPECT_NE(f.Pixel(x, 174), c.settings.crTime) << x;
    EXPECT_EQ(f.Pixel(104, 174), c.settings.crTime);
}

TEST_F(ChartDraw, FewerThanSeventeenRecordsHaveNoTimeLabel) {
    f.Load(MinuteBars(16));
    EXPECT_EQ(f.Count({0, 172, 228, 190}, c.settings.crTime), 0);
}

TEST_F(ChartDraw, CurrentPriceStrip) {
    std::vector<BarRecord> bars = FourCandles();
    bars.push_back(Bar(20011015, 1000, 1010, 990, 1005, 1234567));
    f.Load(bars);
    EXPECT_EQ(f.Pixel(100, 10), c.settings.crCurrentBarBackGround);
    EXPECT_EQ(f.Pixel(0, 10), c.settings.crCurrentBarBackGround);
    // Top edge light, right and bottom edges dark.
    for (int x : {0, 100, 227}) EXPECT_EQ(f.Pixel(x, 0), c.settings.crCurrentBarUpLine) << x;
    for (int y : {1, 10, 17}) EXPECT_EQ(f.Pixel(227, y), c.settings.crCurrentBarDownLine) << y;
    for (int x : {0, 100, 227}) EXPECT_EQ(f.Pixel(x, 18), c.settings.crCurrentBarDownLine) << x;
    EXPECT_NE(f.Pixel(100, 19), c.settings.crCurrentBarBackGround);
    // The text starts 5 pixels in and 4 down, and is long enough to run on.
    EXPECT_EQ(f.Count({0, 1, 5, 18}, c.settings.crCurrentBarText), 0);
    EXPECT_GT(f.Count({5, 4, 60, 18}, c.settings.crCurrentBarText), 0);
    EXPECT_GT(f.Count({150, 4, 227, 18}, c.settings.crCurrentBarText), 0);
}

TEST(ChartStrip, SwitchTwoLeavesRoomButDrawsNothingZeroMovesPaneUp) {
    ChartFixture two;
    ASSERT_TRUE(two.Create(228, 190, [](ChartWnd& c) { Distinct(c); c.settings.nIsCurrentBar = 2; }));
    two.Load(FourCandles());
    EXPECT_EQ(two.chart.rcValue.top, 23);
    EXPECT_EQ(two.Pixel(100, 10), two.chart.settings.crMainBackGround);
    EXPECT_EQ(two.Count({0, 0, 228, 19}, two.chart.settings.crCurrentBarText), 0);

    ChartFixture zero;
    ASSERT_TRUE(zero.Create(228, 190, [](ChartWnd& c) { Distinct(c); c.settings.nIsCurrentBar = 0; }));
    zero.Load(FourCandles());
    EXPECT_EQ(zero.chart.rcValue.top, 4);
    EXPECT_EQ(zero.Pixel(100, 4), zero.chart.settings.crBoxLine);
    EXPECT_EQ(zero.Count({0, 0, 228, 4}, zero.chart.settings.crCurrentBarBackGround), 0);
}

TEST_F(ChartDraw, LongSeriesFollowsNewestBar) {
    std::vector<BarRecord> bars = MinuteBars(100);
    bars.back().volume = 100000;   // the newest bar stands out at full height
    f.Load(bars);
    EXPECT_EQ(c.series.nStartIndex, 41);
    EXPECT_EQ(c.series.nScrollMax, 41);
    // Records 41..99 fill slots 0..58; slot 59 (column 185) stays empty.
    for (int x = 181; x <= 183; ++x) EXPECT_EQ(f.Pixel(x, 123), c.settings.crStick) << x;
    EXPECT_NE(f.Pixel(179, 123), c.settings.crStick);
    EXPECT_EQ(f.Pixel(184, 150), c.settings.crBoxLine);
    EXPECT_EQ(f.Count({184, 23, 228, 190}, c.settings.crStick), 0);
}
