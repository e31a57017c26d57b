#include <gtest/gtest.h>

#include "render/cp949_decode.h"

TEST(Cp949Decode, DecodesEveryByteSequence) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"ASCII as it is", "12,345 O:", U"12,345 O:"},
        {"Hangul pairs", "\xB4\xDE\xB8\xF0\xB7\xCE \xC1\xA6\xB0\xF8", U"달모로 제공"},
        {"mixed",
         "1\xBF\xF9"
         "05\xC0\xCF",
         U"1월05일"},
        {"extended Hangul (UHC)", "\x81\x41", U"\uAC02"},
        {"lead byte at the end", "12\xB4", U"12?"},
        {"lead byte before a byte that ends nothing",
         "\xB4"
         "1",
         U"?1"},
        {"bytes that start nothing", "\x80\xFF", U"??"},
        {"NUL kept", std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
    };
    Cp949Decoder decoder;
    for (const Case& c : cases) EXPECT_EQ(decoder.Decode(c.bytes), c.expected) << c.name;
}
