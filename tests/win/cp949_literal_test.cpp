// Korean texts are stored and drawn as code page 949 bytes: the compiler must
// turn UTF-8 literals into those bytes, and the program must run with 949 as
// its ANSI code page so the system reads them back as the same characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(Cp949, KoreanLiteralHoldsItsCodePageBytes) {
    const char man[] = "만";
    ASSERT_EQ(sizeof man, 3u);
    EXPECT_EQ(static_cast<unsigned char>(man[0]), 0xB8);
    EXPECT_EQ(static_cast<unsigned char>(man[1]), 0xB8);
}

TEST(Cp949, AnsiCodePageIs949AndReadsTheLiteralBack) {
    EXPECT_EQ(GetACP(), 949u);
    wchar_t all[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "삼성전자", -1, all, 8), 5);
    EXPECT_EQ(std::wstring(all), L"\uC0BC\uC131\uC804\uC790");
}
