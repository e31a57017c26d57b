#include <gtest/gtest.h>

#include <cstdio>

#include "chart/chart_text.h"

TEST(ChartTimeText, HourAndLabel) {
    EXPECT_EQ(SplitTime("93000").hour, "9");
    EXPECT_EQ(SplitTime("93000").label, "30/00");
    EXPECT_EQ(SplitTime("143000").hour, "14");
    EXPECT_EQ(SplitTime("91600").label, "16/00");
    EXPECT_EQ(SplitTime("1500").hour, "");
    EXPECT_EQ(SplitTime("1500").label, "15/00");
    // Short or odd texts never read outside the string.
    EXPECT_EQ(SplitTime("7").label, "7/7");
    EXPECT_EQ(SplitTime("").label, "/");
    EXPECT_EQ(SplitTime("-2147483648").hour, "-214748");
}

namespace {

// Runs the labelling rule over consecutive minutes from `start` (HHMM00) and
// returns the 1-based positions of the records that get a label.
std::vector<int> LabelledPositions(int hour, int minute, int count) {
    std::string lastHour;
    int32_t labelCount = 0;
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", hour * 10000 + minute * 100);
        if (NextTimeLabel(lastHour, labelCount, SplitTime(text).hour)) out.push_back(i + 1);
        if (++minute == 60) minute = 0, ++hour;
    }
    return out;
}

}   // namespace

TEST(ChartTimeText, EverySixteenthRecordOfAnHour) {
    EXPECT_EQ(LabelledPositions(9, 0, 40), (std::vector<int>{17, 33}));
    // Starting mid-hour behaves the same: counting begins with the pass.
    EXPECT_EQ(LabelledPositions(9, 27, 33), (std::vector<int>{17, 33}));
    // The change to 10 o'clock at the 11th record delays the labels by one.
    EXPECT_EQ(LabelledPositions(9, 50, 40), (std::vector<int>{18, 34}));
    EXPECT_TRUE(LabelledPositions(9, 0, 16).empty());
}

TEST(ChartTimeText, FourDigitTimesCountFromTheFirstRecord) {
    std::string lastHour;
    int32_t count = 0;
    int first = 0;
    for (int i = 1; i <= 20 && !first; ++i)
        if (NextTimeLabel(lastHour, count, SplitTime(std::to_string(1000 + i)).hour)) first = i;
    EXPECT_EQ(first, 16);
}

TEST(ChartStripText, MonthDayPriceVolume) {
    const char format[] = "%s월%s일 현재가%s 거래량%s";
    EXPECT_EQ(CurrentBarText(format, 20011015, 52300, 1234567), "10월15일 현재가52,300 거래량1,234,567");
    EXPECT_EQ(CurrentBarText(format, 153000, 0, -1000), "30월00일 현재가0 거래량-1,000");
    EXPECT_EQ(CurrentBarText(format, 5, 1, 2), "5월5일 현재가1 거래량2");
    // Any other text, a stray % among it, is copied as it stands.
    EXPECT_EQ(CurrentBarText("%d %s/%s", 1231, 7, 8), "%d 12/31");
}
