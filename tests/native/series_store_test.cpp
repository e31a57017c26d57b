#include "data/series_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Adds bars with the given times; each bar's open is its position in the calls.
void AddTimes(SeriesStore& s, const std::vector<int32_t>& times, int32_t viewCount = 100) {
    for (int32_t t : times) {
        const int32_t call = s.nAppendCount * 1000 + static_cast<int32_t>(t % 1000);
        s.AddBar(t, call, call + 1, call - 1, call, 7, viewCount);
    }
}

std::vector<int32_t> Times(const SeriesStore& s) {
    std::vector<int32_t> times;
    for (int32_t i = 0; i < s.Count(); ++i) times.push_back(s.At(i)->time);
    return times;
}

}   // namespace

TEST(SeriesStore, StartsEmptyAndAnyFirstBarAppends) {
    SeriesStore s;
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Last(), nullptr);
    EXPECT_EQ(s.At(0), nullptr);
    EXPECT_EQ(s.nAppendCount, 1);
    s.AddBar(0, 1, 2, 3, 4, 5, 10);
    EXPECT_EQ(s.nAppendCount, 2);
    ASSERT_NE(s.Last(), nullptr);
    const BarRecord want{1, 2, 3, 4, 5, 0};
    EXPECT_EQ(std::memcmp(s.Last(), &want, sizeof want), 0);
}

TEST(SeriesStore, OnlyAnEqualLastTimeReplaces) {
    SeriesStore s;
    s.AddBar(90000, 1, 1, 1, 1, 1, 100);
    s.AddBar(90100, 2, 2, 2, 2, 2, 100);
    s.AddBar(90100, 3, 4, 5, 6, 7, 100);
    EXPECT_EQ(Times(s), (std::vector<int32_t>{90000, 90100}));
    EXPECT_EQ(s.At(1)->open, 3);
    EXPECT_EQ(s.At(1)->volume, 7);
    EXPECT_EQ(s.nAppendCount, 3);

    SeriesStore unsorted;
    AddTimes(unsorted, {90100, 90000});
    EXPECT_EQ(Times(unsorted), (std::vector<int32_t>{90100, 90000}));
    SeriesStore backAgain;
    AddTimes(backAgain, {90000, 90100, 90000});
    EXPECT_EQ(Times(backAgain), (std::vector<int32_t>{90000, 90100, 90000}));
    EXPECT_EQ(backAgain.nAppendCount, 4);
}

TEST(SeriesStore, ViewFollowsTheNewestBar) {
    SeriesStore s;
    std::vector<int32_t> startAfter;
    for (int32_t k = 1; k <= 12; ++k) {
        s.AddBar(90000 + 100 * k, k, k, k, k, k, 10);
        startAfter.push_back(s.nStartIndex);
        EXPECT_EQ(s.nScrollMax, s.nStartIndex);
    }
    EXPECT_EQ(startAfter[8], 0);    // 9 appends
    EXPECT_EQ(startAfter[9], 1);    // 10
    EXPECT_EQ(startAfter[11], 3);   // 12 = max(0, k + 1 - v)
    // A replacement never moves the view.
    s.AddBar(90000 + 1200, 0, 0, 0, 0, 0, 10);
    EXPECT_EQ(s.nStartIndex, 3);
    EXPECT_EQ(s.nScrollMax, 3);
    EXPECT_EQ(s.nAppendCount, 13);
}

TEST(SeriesStore, ZeroOrNegativeSlotCountsScrollFromTheFirstBar) {
    for (int32_t v : {0, -5}) {
        SeriesStore s;
        AddTimes(s, {1, 2, 3}, v);
        EXPECT_EQ(s.nStartIndex, 3) << v;
        EXPECT_EQ(s.nScrollMax, 3) << v;
    }
}

TEST(SeriesStore, IndexOutsideTheSeriesYieldsNoBar) {
    SeriesStore s;
    AddTimes(s, {90000, 90100, 90200});
    EXPECT_EQ(s.At(-1), nullptr);
    EXPECT_EQ(s.At(3), nullptr);
    EXPECT_EQ(s.At(INT64_MAX), nullptr);
    EXPECT_EQ(s.At(INT64_MIN), nullptr);
    ASSERT_NE(s.At(2), nullptr);
    EXPECT_EQ(s.At(2), s.Last());
}

TEST(SeriesStore, ResetEmptiesAndRestartsTheCounters) {
    SeriesStore s;
    AddTimes(s, {1, 2, 3, 4, 5}, 2);
    s.Reset();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Last(), nullptr);
    EXPECT_EQ(s.nAppendCount, 1);
    EXPECT_EQ(s.nStartIndex, 0);
    EXPECT_EQ(s.nScrollMax, 0);
    // After a reset the next bar appends even with the time the old last bar had.
    s.AddBar(5, 9, 9, 9, 9, 9, 2);
    EXPECT_EQ(s.Count(), 1);
    EXPECT_EQ(s.nAppendCount, 2);
}
