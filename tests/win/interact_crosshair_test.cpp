// The crosshair on the chart window and the tooltip text that follows it:
// pixels read back from the window, never from dcMem, which must stay clean.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "activex/chart/tip_wnd.h"
#include "win/support/interact_fixture.h"

namespace {

constexpr COLORREF kCross = ChartModel::kCrosshairColour;
constexpr int kBars = 30;

// Expected tooltip lines of LoadDay's bars (Korean labels as code page 949 bytes).
const char kBar4Korean[] = "04/00 \xbd\xc3"
                           "52,040 \xb0\xed"
                           "52,540 \xc0\xfa"
                           "51,840 \xc1\xbe"
                           "52,340 \xb0\xc5"
                           "1,400";
const char kBar4English[] = "04/00 O:52,040 H:52,540 L:51,840 C:52,340 V:1,400";
const char kBar5English[] = "05/00 O:52,050 H:52,550 L:51,850 C:52,350 V:1,500";
const char kLastKorean[] = "10/15 \xbd\xc3"
                           "52,000 \xb0\xed"
                           "53,500 \xc0\xfa"
                           "51,800 \xc1\xbe"
                           "52,300 \xb0\xc5"
                           "1,234,567";
const char kLastEnglish[] = "10/15 O:52,000 H:53,500 L:51,800 C:52,300 V:1,234,567";

class CrosshairTest : public ::testing::Test {
protected:
    void Start(bool english) {
        ASSERT_TRUE(
            f.Create(100, 100, 420, 300, [&](ChartWnd& c) { c.Model().settings.strType = english ? "ENG" : ""; }));
        f.LoadDay(kBars);
        box = ToRECT(f.chart.Model().rcBox);
        ASSERT_GT(f.chart.Model().nViewCount, kBars + 5);
        ASSERT_EQ(f.chart.Model().series.nStartIndex, 0);
        midY = (box.top + box.bottom) / 2;
    }
    void SetUp() override { Start(false); }

    // The centre column of slot s, where the redraw pass puts its record.
    int Line(int slot) const { return box.left + 3 + 3 * slot; }
    int Column(int x) const { return f.CountOnWindow(RECT{x, box.top, x + 1, box.bottom}, kCross); }
    int Row(int y) const { return f.CountOnWindow(RECT{box.left, y, box.right, y + 1}, kCross); }
    int Height() const { return box.bottom - box.top; }
    int Width() const { return box.right - box.left; }

    InteractFixture f;
    RECT box{};
    int midY = 0;
};

TEST_F(CrosshairTest, NothingDrawnBeforeTheMouseHasBeenOverTheFrame) {
    // The load's redraw forces a track, the keys move from the last point, and a
    // move outside the frame is no visit: none of them has a point to draw at.
    f.Pump(100);
    f.PressKey(VK_RIGHT);
    f.PressKey(VK_DOWN);
    f.MoveMouse(1, 1);
    f.chart.RefreshChart(FALSE);
    f.Pump(100);
    EXPECT_EQ(f.CountOnWindow(ToRECT(f.chart.Model().rcClient), kCross), 0);
    EXPECT_EQ(TipLine(f.chart), "\xb4\xde\xb8\xf0\xb7\xce \xc1\xa6\xb0\xf8");   // the first text

    f.MoveMouse(Line(4) - 1, midY);
    EXPECT_EQ(Column(Line(4)), Height());
}

TEST_F(CrosshairTest, MouseMoveMarksTheRecordUnderTheCursor) {
    f.MoveMouse(Line(4) - 1, midY);   // a column of slot 4 left of its line
    EXPECT_EQ(Column(Line(4)), Height());
    EXPECT_EQ(Row(midY), Width());
    EXPECT_EQ(Column(Line(4) + 1), 1);   // only where the row crosses it
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(4));
    EXPECT_EQ(f.chart.core.Crosshair().y, midY);
    EXPECT_EQ(TipLine(f.chart), kBar4Korean);
    // On the screen only: the off-screen surface holds no crosshair.
    EXPECT_EQ(f.CountInMem(ToRECT(f.chart.Model().rcClient), kCross), 0);
    // Nothing outside the frame.
    EXPECT_EQ(f.CountOnWindow(RECT{0, 0, f.chart.Model().rcClient.right, box.top}, kCross), 0);
    EXPECT_EQ(
        f.CountOnWindow(RECT{box.right, 0, f.chart.Model().rcClient.right, f.chart.Model().rcClient.bottom}, kCross),
        0);

    // A repaint from dcMem removes it.
    InvalidateRect(f.chart, nullptr, FALSE);
    f.Pump(100);
    EXPECT_EQ(f.CountOnWindow(ToRECT(f.chart.Model().rcClient), kCross), 0);
}

TEST_F(CrosshairTest, TheSynthesisedBarShowsItsDate) {
    f.MoveMouse(Line(kBars - 1), midY);
    EXPECT_EQ(TipLine(f.chart), kLastKorean);
}

TEST_F(CrosshairTest, MoveWithinOneSlotAtTheSameHeightDrawsNothing) {
    f.MoveMouse(Line(4), midY);
    f.Pump(100);
    // Marks that a redraw or a rebuilt text would overwrite.
    HDC dc = GetDC(f.chart);
    SetPixel(dc, Line(4), box.top + 2, RGB(1, 2, 3));
    ReleaseDC(f.chart, dc);
    f.chart.pTipWnd->strSegments = "0;mark\r\n";

    f.MoveMouse(Line(4) - 2, midY);
    EXPECT_EQ(f.WindowPixel(Line(4), box.top + 2), RGB(1, 2, 3));
    EXPECT_EQ(TipLine(f.chart), "mark");

    // One pixel down: the row moves and the text is rebuilt for the same record.
    f.MoveMouse(Line(4) - 2, midY + 1);
    EXPECT_EQ(TipLine(f.chart), kBar4Korean);
    EXPECT_EQ(Row(midY + 1), Width());
    f.Pump(100);
    EXPECT_EQ(Row(midY), 0);   // the old row's strip came back from dcMem
    EXPECT_EQ(Row(midY + 1), Width());
}

TEST_F(CrosshairTest, MoveToAnotherSlotRemovesTheOldColumnOnRepaint) {
    f.MoveMouse(Line(4), midY);
    f.MoveMouse(Line(10) - 2, midY);
    EXPECT_EQ(Column(Line(10)), Height());
    f.Pump(100);
    EXPECT_EQ(Column(Line(4)), 0);
    EXPECT_EQ(Column(Line(10)), Height());
    // The row loses the one pixel where it crosses the repainted old column.
    EXPECT_EQ(Row(midY), Width() - 1);
    EXPECT_NE(f.WindowPixel(Line(4), midY), kCross);
}

TEST_F(CrosshairTest, FrameEdgesAndLeavingTheFrame) {
    f.MoveMouse(box.left, box.top);   // left and top edges are inside: slot -1
    EXPECT_EQ(f.chart.core.Crosshair().x, box.left);
    EXPECT_EQ(f.chart.core.Crosshair().y, box.top);
    f.MoveMouse(Line(6), midY);
    f.MoveMouse(box.right, midY);   // right and bottom edges are outside
    f.MoveMouse(Line(8), box.bottom);
    f.MoveMouse(1, 1);
    f.Pump(100);
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(6));
    EXPECT_EQ(f.chart.core.Crosshair().y, midY);
    // Left where it was, but for the pixel on the first move's repainted row.
    EXPECT_EQ(Column(Line(6)), Height() - 1);
    EXPECT_NE(f.WindowPixel(Line(6), box.top), kCross);
    EXPECT_EQ(Row(midY), Width() - 1);
}

TEST_F(CrosshairTest, SlotsWithoutARecordKeepTheText) {
    f.MoveMouse(Line(4), midY);
    f.MoveMouse(Line(kBars + 2), midY);   // right of the last record
    EXPECT_EQ(Column(Line(kBars + 2)), Height());
    EXPECT_EQ(TipLine(f.chart), kBar4Korean);
    // Slot -1 names the record just left of the view.
    f.chart.Model().series.nStartIndex = 5;
    f.MoveMouse(box.left, midY);
    EXPECT_EQ(TipLine(f.chart), kBar4Korean);
    f.chart.pTipWnd->strSegments = "0;mark\r\n";
    f.chart.Model().series.nStartIndex = INT32_MAX;   // far past the series; the sum must not wrap
    f.MoveMouse(Line(3), midY);
    EXPECT_EQ(TipLine(f.chart), "mark");
}

TEST_F(CrosshairTest, ArrowKeysMoveBySlotsAndPixels) {
    f.MoveMouse(Line(4), midY);
    EXPECT_FALSE(f.PressKey(VK_RIGHT));   // never consumed
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(5));
    EXPECT_EQ(TipLine(f.chart), "05/00 \xbd\xc3"
                                "52,050 \xb0\xed"
                                "52,550 \xc0\xfa"
                                "51,850 \xc1\xbe"
                                "52,350 \xb0\xc5"
                                "1,500");
    EXPECT_FALSE(f.PressKey(VK_LEFT));
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(4));   // one slot back, mirror of the right key
    f.PressKey(VK_LEFT);
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(3));
    f.PressKey(VK_DOWN);
    EXPECT_EQ(f.chart.core.Crosshair().y, midY + 1);
    f.PressKey(VK_UP);
    f.PressKey(VK_UP);
    EXPECT_EQ(f.chart.core.Crosshair().y, midY - 1);
    EXPECT_FALSE(f.PressKey('A'));
    EXPECT_EQ(f.chart.core.Crosshair().x, Line(3));
    f.Pump(100);
    // The old strips come back from dcMem, taking the crossing pixels with them.
    EXPECT_EQ(Column(Line(3)), Height() - 2);
    EXPECT_NE(f.WindowPixel(Line(3), midY), kCross);
    EXPECT_NE(f.WindowPixel(Line(3), midY + 1), kCross);
    EXPECT_EQ(Row(midY - 1), Width() - 2);
    EXPECT_EQ(Column(Line(4)) + Column(Line(5)), 0);
    EXPECT_EQ(Row(midY) + Row(midY + 1), 0);

    // Keys that would leave the frame do nothing.
    f.MoveMouse(box.left + 1, box.top);
    f.PressKey(VK_UP);
    EXPECT_EQ(f.chart.core.Crosshair().y, box.top);
    f.PressKey(VK_LEFT);
    EXPECT_EQ(f.chart.core.Crosshair().x, box.left);   // slot -1 on the frame's edge is inside
    f.PressKey(VK_LEFT);
    EXPECT_EQ(f.chart.core.Crosshair().x, box.left);
}

TEST_F(CrosshairTest, RedrawBringsTheCrosshairBackAtItsLastPlace) {
    f.MoveMouse(Line(4), midY);
    f.chart.pTipWnd->strSegments = "0;mark\r\n";
    f.chart.RefreshChart(FALSE);
    f.Pump(150);
    EXPECT_EQ(Column(Line(4)), Height());
    EXPECT_EQ(Row(midY), Width());
    EXPECT_EQ(TipLine(f.chart), kBar4Korean);   // rebuilt for the record now in that slot
    EXPECT_FALSE(f.chart.core.TrackForced());
}

class EnglishCrosshairTest : public CrosshairTest {
protected:
    void SetUp() override { Start(true); }
};

TEST_F(EnglishCrosshairTest, ShortLabels) {
    f.MoveMouse(Line(4), midY);
    EXPECT_EQ(TipLine(f.chart), kBar4English);
    f.PressKey(VK_RIGHT);
    EXPECT_EQ(TipLine(f.chart), kBar5English);
    f.MoveMouse(Line(kBars - 1), midY);
    EXPECT_EQ(TipLine(f.chart), kLastEnglish);
}

}   // namespace
