#include <gtest/gtest.h>

#include <climits>

#include "interact/tip_segments.h"
#include "interact/tip_text.h"

namespace {

BarRecord Bar(int32_t time) {
    return {52000, 53500, 51800, 52300, 1234567, time};
}

TEST(TipText, TimeSplitsIntoAB) {
    struct Case {
        int32_t time;
        const char *a, *b;
    } const cases[] = {
        {93000, "30", "00"}, {90000, "00", "00"},  {153015, "30", "15"},    {20011015, "10", "15"},
        {1234, "12", "34"},  {123, "12", "23"},    {7, "7", "7"},           {0, "0", "0"},
        {-5, "-5", "-5"},    {-93000, "30", "00"}, {INT32_MIN, "36", "48"},
    };
    for (const Case& c : cases) {
        const TimeParts parts = SplitTipTime(c.time);
        EXPECT_EQ(parts.a, c.a) << c.time;
        EXPECT_EQ(parts.b, c.b) << c.time;
    }
}

TEST(TipText, BothFormsFilledInOrder) {
    EXPECT_EQ(FormatTipText(kTipFormatEnglish, Bar(93000)), "30/00 O:52,000 H:53,500 L:51,800 C:52,300 V:1,234,567");
    EXPECT_EQ(FormatTipText("%s/%s 시%s 고%s 저%s 종%s 거%s", Bar(93000)),
              "30/00 시52,000 고53,500 저51,800 종52,300 거1,234,567");
    EXPECT_EQ(FormatTipText(kTipFormatEnglish, Bar(20011015)).substr(0, 6), "10/15 ");
    const BarRecord extreme{INT32_MIN, INT32_MAX, -1, 0, INT32_MAX, 90000};
    EXPECT_EQ(FormatTipText(kTipFormatEnglish, extreme),
              "00/00 O:-2,147,483,648 H:2,147,483,647 L:-1 C:0 V:2,147,483,647");
}

TEST(TipText, FormatWithFewerOrMoreFieldsIsSafe) {
    EXPECT_EQ(FormatTipText("%s-%s", Bar(93000)), "30-00");
    EXPECT_EQ(FormatTipText("", Bar(93000)), "");
    EXPECT_EQ(FormatTipText("%s%s%s%s%s%s%s%s|", Bar(93000)), "300052,00053,50051,80052,3001,234,567|");
}

TEST(TipText, SlotPlusStartIndexNamesABarOrNone) {
    EXPECT_EQ(TipBarIndex(-1, 5, 10), 4);   // the record just left of the chart
    EXPECT_EQ(TipBarIndex(0, 0, 1), 0);
    EXPECT_EQ(TipBarIndex(4, 5, 10), 9);
    EXPECT_EQ(TipBarIndex(5, 5, 10), -1);   // right of the last record
    EXPECT_EQ(TipBarIndex(-1, 0, 10), -1);
    EXPECT_EQ(TipBarIndex(0, 0, 0), -1);   // empty series
    // A 32-bit sum would wrap to a small valid index here.
    EXPECT_EQ(TipBarIndex(INT32_MAX, INT32_MAX, 10), -1);
    EXPECT_EQ(TipBarIndex(INT32_MIN, INT32_MIN + 3, 10), -1);
    EXPECT_EQ(TipBarIndex(INT32_MAX, INT32_MIN + 3, 10), 2);
}

TEST(TipSegments, MakeAndParseRoundTrip) {
    std::string text = MakeTipSegment("AB", 255) + MakeTipSegment("CD", 0) + MakeTipSegment("x;y", -7);
    EXPECT_EQ(text, "255;AB\r\n0;CD\r\n-7;x;y\r\n");
    const auto segments = ParseTipSegments(text);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].colour, 255);
    EXPECT_EQ(segments[0].text, "AB");
    EXPECT_EQ(segments[1].colour, 0);
    EXPECT_EQ(segments[2].colour, -7);
    EXPECT_EQ(segments[2].text, "x;y");   // only the first ';' separates
    EXPECT_EQ(JoinTipText(segments), "ABCDx;y");
}

TEST(TipSegments, ColourReadLikeAtoi) {
    struct Case {
        const char* text;
        int32_t colour;
    } const cases[] = {
        {"  42;t\r\n", 42},
        {"+17;t\r\n", 17},
        {"\t-3;t\r\n", -3},
        {"12abc;t\r\n", 12},
        {"abc;t\r\n", 0},
        {";t\r\n", 0},
        {"- 5;t\r\n", 0},
        {"4 2;t\r\n", 4},
        {"99999999999999999999;t\r\n", INT32_MAX},
        {"-99999999999999999999;t\r\n", INT32_MIN},
        {"2147483648;t\r\n", INT32_MAX},
        {"-2147483648;t\r\n", INT32_MIN},
    };
    for (const Case& c : cases) {
        const auto segments = ParseTipSegments(c.text);
        ASSERT_EQ(segments.size(), 1u) << c.text;
        EXPECT_EQ(segments[0].colour, c.colour) << c.text;
        EXPECT_EQ(segments[0].text, "t");
    }
}

TEST(TipSegments, SegmentBoundaries) {
    // No ';': drawn whole in colour 0.
    auto segments = ParseTipSegments("plain\r\n");
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].colour, 0);
    EXPECT_EQ(segments[0].text, "plain");
    // Text after the last "\r\n" is neither measured nor drawn.
    EXPECT_EQ(JoinTipText(ParseTipSegments("1;a\r\n2;b\r\ntail")), "ab");
    EXPECT_TRUE(ParseTipSegments("no end").empty());
    EXPECT_TRUE(ParseTipSegments("").empty());
    // A lone '\r' or '\n' is part of the text; empty segments count.
    segments = ParseTipSegments("1;a\rb\n\r\n\r\n");
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].text, "a\rb\n");
    EXPECT_EQ(segments[1].text, "");
}

}   // namespace
