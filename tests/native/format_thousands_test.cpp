#include "chart/format_thousands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

TEST(FormatThousands, ThreeDigitsOrFewerStayAsTheyAre) {
    for (int32_t v : {0, 5, 100, 999, -5, -123}) EXPECT_EQ(FormatThousands(v), std::to_string(v));
}

TEST(FormatThousands, GroupsByThreeFromTheRight) {
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(52300), "52,300");
    EXPECT_EQ(FormatThousands(123456), "123,456");
    EXPECT_EQ(FormatThousands(1000000), "1,000,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    EXPECT_EQ(FormatThousands(-123456), "-123,456");
    EXPECT_EQ(FormatThousands(-1000000), "-1,000,000");
}

TEST(FormatThousands, Int32Extremes) {
    EXPECT_EQ(FormatThousands(std::numeric_limits<int32_t>::max()), "2,147,483,647");
    EXPECT_EQ(FormatThousands(std::numeric_limits<int32_t>::min()), "-2,147,483,648");
}

TEST(FormatThousands, RemovingTheCommasGivesBackTheNumber) {
    // Every group after the first has exactly three digits.
    for (int64_t v = -2'100'000'000; v <= 2'100'000'000; v += 7'777'777) {
        const std::string text = FormatThousands(static_cast<int32_t>(v));
        std::string digits;
        std::size_t sinceComma = 0;
        bool sawComma = false;
        for (char c : text) {
            if (c == ',') {
                if (sawComma) {
                    EXPECT_EQ(sinceComma, 3u) << text;
                }
                sawComma = true;
                sinceComma = 0;
            } else {
                digits += c;
                ++sinceComma;
            }
        }
        EXPECT_EQ(digits, std::to_string(v));
        EXPECT_EQ(text.find("-,"), std::string::npos) << text;
        if (sawComma) {
            EXPECT_EQ(sinceComma, 3u) << text;
        }
    }
}
