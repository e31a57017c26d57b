// Pixels of the default 228 x 190 chart read back from its off-screen surface.
// Layout: rcValue (5,23,185,117), rcVolume (5,122,185,172), 60 slots; the k-th
// record drawn has its centre column at 8 + 3k.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "chart/korean_texts.h"
#include "activex/chart/scene_replay.h"
#include "win/support/chart_fixture.h"

namespace {

// Distinct colours so every element can be told apart.
void Distinct(ChartWnd& c) {
    c.Model().settings.crMainBackGround = 0xEEEEEE;
    c.Model().settings.crValueBackGround = 0xF0FFFF;
    c.Model().settings.crVolumeBackGround = 0xFFF0FF;
    c.Model().settings.crBoxLine = 0xFF0000;
    c.Model().settings.crValueHorizonalLine = 0xC0C0C0;
    c.Model().settings.crVolumeHorizonalLine = 0xA0A0A0;
    c.Model().settings.crHighCandle = 0x0000FF;
    c.Model().settings.crLowCandle = 0x804000;
    c.Model().settings.crStick = 0x00C000;
    c.Model().settings.crValueText = 0x000080;
    c.Model().settings.crVolumeText = 0x800080;
    c.Model().settings.crTime = 0x008080;
}

// Prices chosen so the scale is 1 pixel per unit: range 980..1030 (the second
// record's 1020 high and 990 low widen it by 10), below 90 usable pixels, so
// the row of price v is 117 - (v - 980).
std::vector<BarRecord> FourCandles() {
    return {Bar(90000, 1000, 1000, 1000, 1000, 1000),   // flat
            Bar(90100, 1000, 1020, 990, 1010, 3000),    // up
            Bar(90200, 1010, 1015, 995, 1000, 2000),    // down
            Bar(90300, 1005, 1005, 1005, 1005, 500)};   // flat, different price
}

int Row(int price) {
    return 117 - (price - 980);
}

class ChartDraw : public ::testing::Test {
protected:
    ChartFixture f;
    ChartWnd& c = f.chart;
    void SetUp() override { ASSERT_TRUE(f.Create(228, 190, Distinct)); }
};

}   // namespace

TEST_F(ChartDraw, EmptyFramesAfterCreation) {
    EXPECT_EQ(c.Model().nViewCount, 60);
    // Frame outline on all four edges, the volume pane's top edge divides the panes.
    EXPECT_EQ(f.Pixel(5, 23), c.Model().settings.crBoxLine);
    EXPECT_EQ(f.Pixel(184, 60), c.Model().settings.crBoxLine);
    EXPECT_EQ(f.Pixel(100, 171), c.Model().settings.crBoxLine);
    EXPECT_EQ(f.Pixel(5, 150), c.Model().settings.crBoxLine);
    EXPECT_EQ(f.Pixel(100, 122), c.Model().settings.crBoxLine);
    // Fills: frame, the 5-pixel band above the volume pane, the volume pane.
    EXPECT_EQ(f.Pixel(100, 60), c.Model().settings.crValueBackGround);
    for (int y = 117; y <= 121; ++y) EXPECT_EQ(f.Pixel(100, y), c.Model().settings.crValueBackGround) << y;
    EXPECT_EQ(f.Pixel(100, 150), c.Model().settings.crVolumeBackGround);
    // Outside the frame: main background, no strip without data.
    EXPECT_EQ(f.Pixel(185, 60), c.Model().settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(100, 172), c.Model().settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(100, 10), c.Model().settings.crMainBackGround);
    EXPECT_EQ(f.Pixel(2, 2), c.Model().settings.crMainBackGround);
}

TEST_F(ChartDraw, CandlesUpDownFlat) {
    f.Load(FourCandles());
    EXPECT_EQ(c.Model().nMinLow, 980);
    EXPECT_EQ(c.Model().nMaxHigh, 1030);
    EXPECT_EQ(c.Model().nValueMul, 1);
    EXPECT_EQ(c.Model().nValueDiv, 1);

    // Record 1, up, column 11: body close..open rows, wicks with end point excluded.
    for (int x = 10; x <= 12; ++x) {
        EXPECT_EQ(f.Pixel(x, Row(1010)), c.Model().settings.crHighCandle) << x;
        EXPECT_EQ(f.Pixel(x, Row(1000) - 1), c.Model().settings.crHighCandle) << x;
    }
    EXPECT_EQ(f.Pixel(11, Row(1020)), c.Model().settings.crHighCandle);   // upper wick starts at high
    EXPECT_NE(f.Pixel(11, Row(1020) - 1), c.Model().settings.crHighCandle);
    EXPECT_EQ(f.Pixel(11, Row(1000)), c.Model().settings.crHighCandle);   // lower wick from open's row
    EXPECT_EQ(f.Pixel(11, Row(990) - 1), c.Model().settings.crHighCandle);
    EXPECT_NE(f.Pixel(11, Row(990)), c.Model().settings.crHighCandle);    // low's row excluded
    EXPECT_NE(f.Pixel(10, Row(1000)), c.Model().settings.crHighCandle);   // wick is one column

    // Record 2, down, column 14: body from open's row down to close's.
    for (int x = 13; x <= 15; ++x) {
        EXPECT_EQ(f.Pixel(x, Row(1010)), c.Model().settings.crLowCandle) << x;
        EXPECT_EQ(f.Pixel(x, Row(1000) - 1), c.Model().settings.crLowCandle) << x;
    }
    EXPECT_NE(f.Pixel(13, Row(1000)), c.Model().settings.crLowCandle);   // close's row: wick only
    EXPECT_EQ(f.Pixel(14, Row(1000)), c.Model().settings.crLowCandle);
    EXPECT_EQ(f.Pixel(14, Row(1015)), c.Model().settings.crLowCandle);
    EXPECT_NE(f.Pixel(14, Row(995)), c.Model().settings.crLowCandle);

    // Flat records: one row, three columns, in crLowCandle.
    for (int x = 7; x <= 9; ++x) EXPECT_EQ(f.Pixel(x, Row(1000)), c.Model().settings.crLowCandle) << x;
    EXPECT_NE(f.Pixel(8, Row(1000) - 1), c.Model().settings.crLowCandle);
    EXPECT_NE(f.Pixel(8, Row(1000) + 1), c.Model().settings.crLowCandle);
    for (int x = 16; x <= 18; ++x) EXPECT_EQ(f.Pixel(x, Row(1005)), c.Model().settings.crLowCandle) << x;
    // Nothing beyond the last record.
    EXPECT_EQ(f.Count({19, 23, 185, 117}, c.Model().settings.crLowCandle) +
                  f.Count({19, 23, 185, 117}, c.Model().settings.crHighCandle),
              0);
}

TEST_F(ChartDraw, VolumeBarsAndGrids) {
    f.Load(FourCandles());
    // Volumes 1000, 3000, 2000, 500 over 0..3000 in 50 pixels: 60 per pixel.
    EXPECT_EQ(c.Model().nVolumePerPixel, 60);
    const int heights[4] = {16, 50, 33, 8};
    for (int k = 0; k < 4; ++k) {
        const int x = 8 + 3 * k;
        for (int dx = -1; dx <= 1; ++dx) {
            EXPECT_EQ(f.Pixel(x + dx, 171), c.Model().settings.crStick) << k;
            EXPECT_EQ(f.Pixel(x + dx, 172 - heights[k]), c.Model().settings.crStick) << k;
        }
        if (heights[k] < 50) EXPECT_NE(f.Pixel(x, 171 - heights[k]), c.Model().settings.crStick) << k;
        EXPECT_NE(f.Pixel(x, 172), c.Model().settings.crStick) << k;
    }
    // Price grid: five lines 18 pixels apart from the pane's bottom; none at the top.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.Pixel(150, 117 - 18 * i), c.Model().settings.crValueHorizonalLine) << i;
        EXPECT_EQ(f.Pixel(6, 117 - 18 * i), c.Model().settings.crValueHorizonalLine) << i;
        EXPECT_NE(f.Pixel(184, 117 - 18 * i), c.Model().settings.crValueHorizonalLine) << i;   // end excluded
    }
    EXPECT_EQ(f.Count({6, 24, 184, 117 - 18 * 4}, c.Model().settings.crValueHorizonalLine), 0);
    // Volume grid: three lines 16 apart from the pane's bottom.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.Pixel(150, 172 - 16 * i), c.Model().settings.crVolumeHorizonalLine) << i;
    EXPECT_EQ(f.Count({6, 123, 184, 140}, c.Model().settings.crVolumeHorizonalLine), 0);
}

TEST_F(ChartDraw, LabelsInTheirRectangles) {
    f.Load(FourCandles());
    // Price labels right of the pane at each grid line (the left ones fall
    // mostly outside the client area with the default gap).
    for (int i = 0; i < 5; ++i) {
        const int y = 117 - 18 * i;
        EXPECT_GT(f.Count({186, y - 5, 228, y + 7}, c.Model().settings.crValueText), 0) << i;
    }
    for (int i = 0; i < 3; ++i) {
        const int y = 172 - 16 * i;
        EXPECT_GT(f.Count({186, y - 5, 228, y + 7}, c.Model().settings.crVolumeText), 0) << i;
    }
    // Volume labels never appear left of the volume pane.
    EXPECT_EQ(f.Count({0, 122, 5, 190}, c.Model().settings.crVolumeText), 0);
}

TEST_F(ChartDraw, TimeLabelUnderSeventeenthRecord) {
    f.Load(MinuteBars(40));
    // 17th record drawn: column 8 + 48 = 56; tick on the 5 rows under the pane.
    for (int y = 172; y < 177; ++y) EXPECT_EQ(f.Pixel(56, y), c.Model().settings.crTime) << y;
    EXPECT_NE(f.Pixel(56, 177), c.Model().settings.crTime);
    EXPECT_GT(f.Count({41, 177, 71, 190}, c.Model().settings.crTime), 0);
    // No other tick before it; the next is under the 33rd record (column 104).
    for (int x = 6; x < 184; ++x)
        if (x != 56 && x != 104) EXPECT_NE(f.Pixel(x, 174), c.Model().settings.crTime) << x;
    EXPECT_EQ(f.Pixel(104, 174), c.Model().settings.crTime);
}

TEST_F(ChartDraw, FewerThanSeventeenRecordsHaveNoTimeLabel) {
    f.Load(MinuteBars(16));
    EXPECT_EQ(f.Count({0, 172, 228, 190}, c.Model().settings.crTime), 0);
}

TEST_F(ChartDraw, CurrentPriceStrip) {
    std::vector<BarRecord> bars = FourCandles();
    bars.push_back(Bar(20011015, 1000, 1010, 990, 1005, 1234567));
    f.Load(bars);
    EXPECT_EQ(f.Pixel(100, 10), c.Model().settings.crCurrentBarBackGround);
    EXPECT_EQ(f.Pixel(0, 10), c.Model().settings.crCurrentBarBackGround);
    // Top edge light, right and bottom edges dark.
    for (int x : {0, 100, 227}) EXPECT_EQ(f.Pixel(x, 0), c.Model().settings.crCurrentBarUpLine) << x;
    for (int y : {1, 10, 17}) EXPECT_EQ(f.Pixel(227, y), c.Model().settings.crCurrentBarDownLine) << y;
    for (int x : {0, 100, 227}) EXPECT_EQ(f.Pixel(x, 18), c.Model().settings.crCurrentBarDownLine) << x;
    EXPECT_NE(f.Pixel(100, 19), c.Model().settings.crCurrentBarBackGround);
    // The text starts 5 pixels in and 4 down, and is long enough to run on.
    EXPECT_EQ(f.Count({0, 1, 5, 18}, c.Model().settings.crCurrentBarText), 0);
    EXPECT_GT(f.Count({5, 4, 60, 18}, c.Model().settings.crCurrentBarText), 0);
    EXPECT_GT(f.Count({150, 4, 227, 18}, c.Model().settings.crCurrentBarText), 0);
}

TEST(ChartStrip, SwitchTwoLeavesRoomButDrawsNothingZeroMovesPaneUp) {
    ChartFixture two;
    ASSERT_TRUE(two.Create(228, 190, [](ChartWnd& c) {
        Distinct(c);
        c.Model().settings.nIsCurrentBar = 2;
    }));
    two.Load(FourCandles());
    EXPECT_EQ(two.chart.Model().rcValue.top, 23);
    EXPECT_EQ(two.Pixel(100, 10), two.chart.Model().settings.crMainBackGround);
    EXPECT_EQ(two.Count({0, 0, 228, 19}, two.chart.Model().settings.crCurrentBarText), 0);

    ChartFixture zero;
    ASSERT_TRUE(zero.Create(228, 190, [](ChartWnd& c) {
        Distinct(c);
        c.Model().settings.nIsCurrentBar = 0;
    }));
    zero.Load(FourCandles());
    EXPECT_EQ(zero.chart.Model().rcValue.top, 4);
    EXPECT_EQ(zero.Pixel(100, 4), zero.chart.Model().settings.crBoxLine);
    EXPECT_EQ(zero.Count({0, 0, 228, 4}, zero.chart.Model().settings.crCurrentBarBackGround), 0);
}

TEST_F(ChartDraw, LongSeriesFollowsNewestBar) {
    std::vector<BarRecord> bars = MinuteBars(100);
    bars.back().volume = 100000;   // the newest bar stands out at full height
    f.Load(bars);
    EXPECT_EQ(c.Model().series.nStartIndex, 41);
    EXPECT_EQ(c.Model().series.nScrollMax, 41);
    // Records 41..99 fill slots 0..58; slot 59 (column 185) stays empty.
    for (int x = 181; x <= 183; ++x) EXPECT_EQ(f.Pixel(x, 123), c.Model().settings.crStick) << x;
    EXPECT_NE(f.Pixel(179, 123), c.Model().settings.crStick);
    EXPECT_EQ(f.Pixel(184, 150), c.Model().settings.crBoxLine);
    EXPECT_EQ(f.Count({184, 23, 228, 190}, c.Model().settings.crStick), 0);
}

// The surface's direct replay (fills, frames and lines written into the DIB
// section, texts by GDI in their turn) leaves every pixel GDI's replay into a
// device bitmap leaves, for scenes that reach past the client and the bitmap.
TEST(DirectReplay, EveryPixelAsGdiReplayLeavesIt) {
    constexpr int kW = 64, kH = 40;
    LOGFONTA lf{};
    lf.lfHeight = kChartFontHeight;
    lf.lfCharSet = HANGEUL_CHARSET;
    lstrcpynA(lf.lfFaceName, kChartFaceName, LF_FACESIZE);
    Font font(CreateFontIndirectA(&lf));
    HDC screen = GetDC(nullptr);
    if (GetDeviceCaps(screen, BITSPIXEL) != 32) GTEST_SKIP() << "the direct replay needs a 32-bit screen";
    Surface direct;
    ASSERT_TRUE(direct.Create(screen, kW, kH));
    ASSERT_NE(direct.Bits(), nullptr);
    MemoryDC gdi(screen);
    Bitmap device(CreateCompatibleBitmap(screen, kW, kH));
    ReleaseDC(nullptr, screen);
    SelectGuard selected(gdi, device);

    using Build = std::function<void(Scene&)>;
    const std::pair<const char*, Build> cases[] = {
        {"fills over and past the edges",
         [](Scene& s) {
             s.AddFill({-5, -5, 70, 50}, 0x123456);
             s.AddFill({10, 10, 11, 30}, 0xFF0000);
             s.AddFill({60, 30, 90, 60}, 0x00FF00);
         }},
        {"frames of every small size",
         [](Scene& s) {
             s.AddFill({0, 0, kW, kH}, 0xFFFFFF);
             for (int w = 1; w <= 4; ++w) s.AddFrame({w * 8, 4, w * 9, 4 + w}, 0x0000FF, 0x00FFFF);
             s.AddFrame({2, 12, 5, 13}, 0x0000FF, 0x00FFFF);   // one row high
             s.AddFrame({8, 12, 9, 16}, 0x0000FF, 0x00FFFF);   // one column wide
             s.AddFrame({2, 20, 62, 38}, 0x800000, 0xC0C0C0);
             s.AddFrame({50, 30, 80, 50}, 0x008000, 0x800080);
         }},
        {"lines and texts in their order",
         [](Scene& s) {
             s.AddFill({0, 0, kW, kH}, 0xEEEEEE);
             s.AddLine(0, 5, 64, 5, 0x000000);
             s.AddLine(30, 0, 30, 40, 0x0000FF);
             s.AddText({2, 2, 60, 14}, "12,345", TextAlign::LeftSingleLine, 0x000080);
             s.AddText({0, 20, 64, 45}, "09:30\r\n\xB0\xA1", TextAlign::Center, 0x800000);
             s.AddFill({40, 22, 44, 26}, 0x00C000);   // over the text
             s.AddText({55, 30, 90, 45}, "999", TextAlign::LeftSingleLine, 0x008080);
         }},
    };
    for (const auto& [name, build] : cases) {
        SCOPED_TRACE(name);
        Scene scene;
        scene.Reset(kW, kH);
        build(scene);
        ReplayScene(gdi, scene, {font, font});
        ReplaySceneIntoBits(direct, direct.Bits(), direct.Size(), scene, {font, font});
        std::string differ;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (GetPixel(gdi, x, y) != GetPixel(direct, x, y))
                    differ += " " + std::to_string(x) + "," + std::to_string(y);
        EXPECT_EQ(differ, "");
    }
}
