// The chart window's life: creation, message map answers, resizing, the hidden
// scroll bar and destruction.
#include <gtest/gtest.h>

#include "win/support/chart_fixture.h"

TEST(ChartWindow, CreationMakesSurfaceFontAndHiddenScrollBar) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190));
    ChartWnd& c = f.chart;
    EXPECT_TRUE(c.dcMem);
    EXPECT_EQ(c.sizeMem.cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(c.sizeMem.cy, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(c.Model().rcClient.right, 228);
    EXPECT_EQ(c.Model().rcClient.bottom, 190);

    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(c.fontChart, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, 11);
    EXPECT_EQ(lf.lfCharSet, HANGEUL_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, "굴림체");
    EXPECT_EQ(GetCurrentObject(c.dcMem, OBJ_FONT), c.fontChart.Get());
    EXPECT_EQ(GetBkMode(c.dcMem), TRANSPARENT);
    // The screen's format: on a 32-bit screen a DIB section the chart writes directly.
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(c.dcMem.BitmapHandle(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, GetDeviceCaps(ClientDC(c), BITSPIXEL));
    EXPECT_EQ(c.dcMem.Bits() != nullptr, bm.bmBitsPixel == 32);

    HWND bar = GetDlgItem(c, ChartWnd::kScrollBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(IsWindowVisible(bar));
    // Placed on the strip under the volume pane by the layout.
    RECT r{};
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, c, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 174);
    EXPECT_EQ(r.right, 185);
    EXPECT_EQ(r.bottom, 189);

    EXPECT_EQ(SendMessageA(c, WM_USER + 100, 0, 0), 1);
}

TEST(ChartWindow, RefreshHandsScrollRangeToTheBar) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190));
    f.Load(MinuteBars(100));
    EXPECT_TRUE(f.chart.core.TrackForced());
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS};
    ASSERT_TRUE(GetScrollInfo(GetDlgItem(f.chart, ChartWnd::kScrollBarId), SB_CTL, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 41);
    EXPECT_EQ(info.nPos, 41);
}

TEST(ChartWindow, DrawChartWithoutRecordsDrawsNothing) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190));
    f.chart.ResetSeries();
    EXPECT_FALSE(f.chart.RefreshChart(FALSE));
    f.Load(MinuteBars(3));
    f.chart.Model().series.nStartIndex = 3;   // names no record
    EXPECT_FALSE(f.chart.DrawChart(FALSE));
    f.chart.Model().series.nStartIndex = -1;
    EXPECT_FALSE(f.chart.DrawChart(FALSE));
}

TEST(ChartWindow, ResizeRelaysOutAndKeepsNewestInView) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190));
    f.Load(MinuteBars(300));
    f.Resize(800, 500);
    ChartWnd& c = f.chart;
    EXPECT_EQ(c.Model().rcClient.right, 800);
    EXPECT_EQ(c.Model().rcValue.right, 757);
    EXPECT_EQ(c.Model().nViewCount, (757 - 5) / 3);
    EXPECT_EQ(c.Model().series.nStartIndex, 300 - c.Model().nViewCount + 1);
    // The newest bar (index 299) is in the last slot but one.
    const int x = c.Model().rcValue.left + 3 + 3 * (299 - c.Model().series.nStartIndex);
    EXPECT_EQ(f.Pixel(x, c.Model().rcVolume.bottom - 2), c.Model().settings.crStick);
    EXPECT_EQ(f.Pixel(x + 3, c.Model().rcVolume.bottom - 2), c.Model().settings.crVolumeBackGround);
}

TEST(ChartWindow, ResizeBeforeAnyRecordDrawsEmptyFrames) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190, [](ChartWnd& c) { c.Model().settings.crVolumeBackGround = 0x00FFFF; }));
    f.chart.ResetSeries();
    f.Resize(300, 250);
    EXPECT_EQ(f.chart.Model().rcBox.right, 257);
    EXPECT_EQ(f.Pixel(100, f.chart.Model().rcVolume.top + 5), 0x00FFFFu);
    EXPECT_EQ(f.Pixel(100, 10), f.chart.Model().settings.crMainBackGround);
}

TEST(ChartWindow, DestroyReleasesEverythingAndCanBeCreatedAgain) {
    ChartFixture f;
    ASSERT_TRUE(f.Create(228, 190));
    f.Load(MinuteBars(10));
    const HWND bar = GetDlgItem(f.chart, ChartWnd::kScrollBarId);
    const int before = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    f.chart.DestroyWindow();
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(f.chart.dcMem);
    EXPECT_FALSE(f.chart.dcMem.BitmapHandle());
    EXPECT_FALSE(f.chart.fontChart);
    EXPECT_EQ(f.chart.pScrollBar, nullptr);
    EXPECT_EQ(f.chart.pTipWnd, nullptr);
    const int after = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (before > 0) EXPECT_LT(after, before);   // not every Wine build counts GDI objects
    // The series stays with the object; a new window draws it again.
    EXPECT_EQ(f.chart.Model().series.Count(), 10);
}
