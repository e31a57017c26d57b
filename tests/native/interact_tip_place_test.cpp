#include <gtest/gtest.h>

#include <climits>

#include "interact/tip_place.h"

namespace {

TEST(TipPlace, BesideTheCursorAndFlippedNearTheRightEdge) {
    // 1024-pixel screen: 713 + 310 = 1023 stays right, 715 + 310 > 1024 flips.
    EXPECT_EQ(PlaceTip(713, 100, 300, 1024).left, 723);
    EXPECT_EQ(PlaceTip(714, 100, 300, 1024).left, 724);   // 714 + 310 == 1024 is not past it
    EXPECT_EQ(PlaceTip(715, 100, 300, 1024).left, 715 - 5 - 300);
    EXPECT_EQ(PlaceTip(715, 100, 300, 1024).left + 300, 710);
    EXPECT_EQ(PlaceTip(0, 0, 50, 1280).top, 10);
    EXPECT_EQ(PlaceTip(0, -40, 50, 1280).top, -30);
    // The allowance is fixed: a narrow tooltip flips just the same.
    EXPECT_EQ(PlaceTip(1000, 5, 20, 1280).left, 975);
}

TEST(TipPlace, ExtremeValuesDoNotWrap) {
    EXPECT_EQ(PlaceTip(INT32_MAX, INT32_MAX, 0, 1024).top, INT32_MAX);
    EXPECT_EQ(PlaceTip(INT32_MAX, 0, 0, INT32_MAX).left, INT32_MAX - 5);
    EXPECT_EQ(PlaceTip(INT32_MIN, 0, INT32_MAX, INT32_MIN).left, INT32_MIN);
    EXPECT_EQ(PlaceTip(INT32_MAX - 5, 0, 0, INT32_MIN).left, INT32_MAX - 10);
}

}   // namespace
