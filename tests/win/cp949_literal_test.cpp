// Korean texts are stored and drawn as code page 949 bytes: the compiler must
// turn UTF-8 literals into those bytes, and the program must run with 949 as
// its ANSI code page so the system reads them back as the same characters.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interact/chart_session.h"

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

// The automation methods read the name through the portable core, whose
// lead-byte test must be the one of the code page the control runs under:
// a lead byte keeps the blank that trails it as its second byte.
TEST(Cp949, SessionNameKeepsATrailBlankExactlyAfterTheSystemsLeadBytes) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        StockInfo info{};
        std::memcpy(info.code, "005930", 6);
        const char name[] = {'A', static_cast<char>(byte), ' '};
        std::memcpy(info.name, name, sizeof name);
        ChartSession core;
        core.BeginLoad("005930");
        core.AcceptInfo(reinterpret_cast<const unsigned char*>(&info), sizeof info);
        const bool keptBlank = core.InfoName().size() == 3;
        EXPECT_EQ(keptBlank, IsDBCSLeadByteEx(949, static_cast<BYTE>(byte)) != FALSE) << "byte " << byte;
    }
}
