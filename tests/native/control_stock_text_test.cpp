// Text of the info record's code and name fields as the automation methods
// return it: width limit, NUL stop, trailing white space, double-byte text.
#include <gtest/gtest.h>

#include <cstring>

#include "data/stock_text.h"
#include "data/stock_records.h"

namespace {

// Code page 949 lead bytes.
bool Cp949Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

}   // namespace

TEST(FieldText, FullWidthCodeStopsAtItsWidthAndNotAtTheNextField) {
    StockInfo info{};
    std::memcpy(info.code, "005930", 6);
    std::memcpy(info.name, "SAMSUNG", 7);   // directly after the code, no terminator between
    EXPECT_EQ("005930", FieldText(info.code, sizeof info.code, Cp949Lead));
}

TEST(FieldText, TrailingWhiteSpaceGoesLeadingAndInnerStay) {
    StockInfo info{};
    std::memcpy(info.code, "5930  ", 6);
    EXPECT_EQ("5930", FieldText(info.code, sizeof info.code, Cp949Lead));
    std::memcpy(info.name, " ABC  ", 6);
    EXPECT_EQ(" ABC", FieldText(info.name, sizeof info.name, Cp949Lead));
    std::memcpy(info.name, "A B\t\r\n\v\f ", 10);
    EXPECT_EQ("A B", FieldText(info.name, sizeof info.name, Cp949Lead));
    std::memcpy(info.name, "      ", 6);
    info.name[6] = '\0';
    EXPECT_EQ("", FieldText(info.name, sizeof info.name, Cp949Lead));
}

TEST(FieldText, AllThirtyOneNameBytesAndNotTheNext) {
    StockInfo info{};
    std::memset(info.name, 'N', sizeof info.name);
    std::memset(info.unused1, 'X', sizeof info.unused1);   // offset 45 onwards
    EXPECT_EQ(std::string(31, 'N'), FieldText(info.name, sizeof info.name, Cp949Lead));
}

TEST(FieldText, TrailByteThatLooksLikeWhiteSpaceIsKept) {
    // A double-byte character whose second byte is 0x20 in a lead-byte test that
    // allows it: the pair must stay whole.
    const char field[] = "AB\x81\x20";
    auto anyHighIsLead = [](unsigned char c) { return c >= 0x81; };
    EXPECT_EQ(std::string("AB\x81\x20"), FieldText(field, 4, anyHighIsLead));
    // Without the multibyte walk the same bytes end in a space.
    auto noLead = [](unsigned char) { return false; };
    EXPECT_EQ(std::string("AB\x81"), FieldText(field, 4, noLead));
}

TEST(FieldText, KoreanNameLosesOnlyItsTrailingSpaces) {
    const char field[] = "\xBB\xEF\xBC\xBA  ";   // two Hangul syllables, two spaces
    EXPECT_EQ(std::string("\xBB\xEF\xBC\xBA"), FieldText(field, 6, Cp949Lead));
}
