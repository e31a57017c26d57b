#include <gtest/gtest.h>

#include <climits>

#include "chart/chart_geometry.h"

namespace {

PaneLayout Layout(int w, int h, LayoutSettings s = {}) {
    return ComputePaneLayout({0, 0, w, h}, s);
}

}   // namespace

TEST(ChartLayout, DefaultChartMatchesWorkedExample) {
    const PaneLayout l = Layout(228, 190);
    EXPECT_EQ(l.value, (Rect{5, 23, 185, 117}));
    EXPECT_EQ(l.volume, (Rect{5, 122, 185, 172}));
    EXPECT_EQ(l.box, (Rect{5, 23, 185, 172}));
    EXPECT_EQ(l.scrollStrip, (Rect{5, 174, 185, 189}));
    EXPECT_EQ(l.boxWidth, 180);
    EXPECT_EQ(l.viewCount, 60);
}

TEST(ChartLayout, StripSwitchAndGapsMoveThePanes) {
    // Without the strip the price pane starts gapY below the top; 2 (not 0)
    // still reserves the strip's room.
    EXPECT_EQ(Layout(228, 190, {5, 4, 0, 19}).value.top, 4);
    EXPECT_EQ(Layout(228, 190, {5, 4, 2, 19}).value.top, 23);
    const PaneLayout wide = Layout(228, 190, {50, 10, 1, 19});
    EXPECT_EQ(wide.value, (Rect{50, 29, 185, 117}));
    EXPECT_EQ(wide.volume.left, 50);
    // 135 wide -> 45 slots exactly; 182 wide -> 180, 60 slots.
    EXPECT_EQ(wide.boxWidth, 135);
    EXPECT_EQ(Layout(230, 190).boxWidth, 180);
    EXPECT_EQ(Layout(230, 190).viewCount, 60);
}

TEST(ChartLayout, TinyOrHostileSizesStaySane) {
    // A window narrower than the label column has no slots at all.
    const PaneLayout tiny = Layout(30, 20);
    EXPECT_LE(tiny.viewCount, 0);
    EXPECT_LE(tiny.volume.bottom - tiny.volume.top, 0);
    // Extreme gaps saturate instead of wrapping round.
    const PaneLayout hostile = Layout(228, 190, {INT_MAX, INT_MAX, 1, 19});
    EXPECT_EQ(hostile.value.left, INT_MAX);
    EXPECT_EQ(hostile.value.top, INT_MAX);
    EXPECT_LE(hostile.viewCount, 0);
    const PaneLayout negative = Layout(228, 190, {INT_MIN, INT_MIN, 0, 19});
    EXPECT_EQ(negative.value.left, INT_MIN);
    EXPECT_GT(negative.viewCount, 0);   // 64-bit width, clamped
}

TEST(ChartLayout, ScrollStartKeepsNewestInLastSlotButOne) {
    EXPECT_EQ(ScrollStartIndex(100, 60), 41);
    EXPECT_EQ(ScrollStartIndex(60, 60), 0);
    EXPECT_EQ(ScrollStartIndex(61, 60), 2);
    EXPECT_EQ(ScrollStartIndex(0, 60), 0);
    EXPECT_EQ(ScrollStartIndex(INT_MAX, INT_MIN), INT_MAX);   // no wrap-round
}

TEST(ChartLayout, UncoveredAreaBeyondTheBitmap) {
    EXPECT_EQ(UncoveredArea({0, 0, 228, 190}, 1280, 1024).count, 0);
    const ExcessArea both = UncoveredArea({0, 0, 1400, 1100}, 1280, 1024);
    ASSERT_EQ(both.count, 2);
    EXPECT_EQ(both.rects[0], (Rect{1280, 0, 1400, 1100}));
    EXPECT_EQ(both.rects[1], (Rect{0, 1024, 1280, 1100}));
    const ExcessArea right = UncoveredArea({0, 0, 1400, 500}, 1280, 1024);
    ASSERT_EQ(right.count, 1);
    EXPECT_EQ(right.rects[0], (Rect{1280, 0, 1400, 500}));
    // No bitmap at all: everything is uncovered.
    const ExcessArea none = UncoveredArea({0, 0, 100, 50}, 0, 0);
    ASSERT_EQ(none.count, 1);
    EXPECT_EQ(none.rects[0], (Rect{0, 0, 100, 50}));
}
