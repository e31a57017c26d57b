#include <gtest/gtest.h>

#include <climits>

#include "interact/slot_snap.h"

namespace {

TEST(SlotSnap, ColumnsSnapUpToTheirSlotLine) {
    struct Case {
        int32_t x, line, slot;
    } const cases[] = {
        {5, 5, -1},                             // the frame's left edge itself
        {6, 8, 0},    {7, 8, 0},   {8, 8, 0},   // slot 0: line on the first record
        {9, 11, 1},   {11, 11, 1}, {12, 14, 2},
        {4, 5, -1},   {3, 5, -1},  {2, 2, -2},   // left of the frame: ceil toward the frame
        {-1, -1, -3},
    };
    for (const Case& c : cases) {
        const SlotSnap hit = SnapColumnToSlot(5, c.x);
        EXPECT_EQ(hit.x, c.line) << "x=" << c.x;
        EXPECT_EQ(hit.slot, c.slot) << "x=" << c.x;
    }
}

TEST(SlotSnap, LineIsFixedPointAndStepsByThree) {
    // Snapping a slot line gives it back; one slot further left is 3 columns less.
    for (int32_t left : {0, 5, -7, 1000}) {
        for (int32_t x = left - 20; x < left + 400; ++x) {
            const SlotSnap hit = SnapColumnToSlot(left, x);
            ASSERT_GE(hit.x, x);
            ASSERT_LT(hit.x - x, 3);
            ASSERT_EQ((hit.x - left) % 3, 0);
            ASSERT_EQ(SnapColumnToSlot(left, hit.x).x, hit.x);
            ASSERT_EQ(SnapColumnToSlot(left, hit.x - 3).slot, hit.slot - 1);
        }
    }
}

TEST(SlotSnap, ExtremeColumnsStayInRange) {
    // x - left overflows 32 bits here; the result is clamped, not wrapped.
    const SlotSnap high = SnapColumnToSlot(INT32_MIN, INT32_MAX);
    EXPECT_EQ(high.x, INT32_MAX);
    EXPECT_GT(high.slot, 0);
    const SlotSnap low = SnapColumnToSlot(INT32_MAX, INT32_MIN);
    EXPECT_LE(low.x, INT32_MIN + 2);
    EXPECT_LT(low.slot, 0);
    EXPECT_EQ(SnapColumnToSlot(INT32_MAX - 2, INT32_MAX).x, INT32_MAX);   // line past the range
    EXPECT_EQ(SnapColumnToSlot(INT32_MAX - 3, INT32_MAX).x, INT32_MAX);   // exactly a line
}

}   // namespace
