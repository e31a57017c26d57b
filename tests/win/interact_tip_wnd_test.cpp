// TipWnd on its own: window kind, width from the text, segment colours,
// outline, the buffer growing with a long line, and release on destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "activex/chart/tip_wnd.h"
#include "win/support/interact_fixture.h"

namespace {

constexpr COLORREF kBack = 0xFFFEDF, kOutline = 0xFFA570, kText = 0x000000;
const char kFace[] = "\xb1\xbc\xb8\xb2\xc3\xbc";   // the chart's face name in code page 949

// Extent of a text in the tooltip's font, measured independently of TipWnd.
int Extent(const std::string& text) {
    LOGFONTA lf{};
    lf.lfHeight = 11;
    lf.lfCharSet = HANGEUL_CHARSET;
    lstrcpynA(lf.lfFaceName, kFace, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return size.cx;
}

int ClientWidth(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r.right;
}

// Text is drawn smoothed: classify ink by hue rather than by exact colour.
enum class Ink { Red, Dark };

bool IsInk(COLORREF c, Ink ink) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (ink == Ink::Red) return r > g + 0x30 && r > b + 0x30;
    return r + g + b < 3 * 0xA0 && r < g + 0x30;
}

// How many pixels of dcTip in columns [x0, x1) of the text rows are that ink.
int CountInBuffer(const TipWnd& tip, int x0, int x1, Ink ink) {
    int n = 0;
    for (int x = x0; x < x1; ++x)
        for (int y = 2; y < 18; ++y) n += IsInk(GetPixel(tip.dcTip, x, y), ink);
    return n;
}

class TipWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        tip.CreateTip(RECT{100, 120, 450, 140}, kText, kBack, kOutline, kFace);
        ASSERT_TRUE(tip.m_hWnd);
    }
    TipWnd tip;
};

TEST_F(TipWndTest, TopmostToolPopupAtTheGivenRectangle) {
    const LONG_PTR ex = GetWindowLongPtrA(tip, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(tip));
    RECT r{};
    GetWindowRect(tip, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.bottom - r.top, 20);
    EXPECT_EQ(tip.rcBuffer.right, 350);
    EXPECT_EQ(tip.rcBuffer.bottom, 20);
    EXPECT_EQ(tip.nTextHeight, 10);
    // A popup of the desktop: no owner among our windows.
    EXPECT_EQ(GetAncestor(tip, GA_ROOT), tip.m_hWnd);
}

TEST_F(TipWndTest, SegmentsDrawnInTheirColoursOnOneLine) {
    tip.AddSegment("AB", 255);
    tip.AddSegment("CD", 0);
    EXPECT_EQ(tip.strSegments, "255;AB\r\n0;CD\r\n");
    tip.LayoutText();
    const int ab = Extent("AB"), abcd = Extent("ABCD");
    ASSERT_GT(ab, 0);
    EXPECT_EQ(ClientWidth(tip), abcd + 20);
    // AB in red right from the margin, CD in black right after it.
    EXPECT_GT(CountInBuffer(tip, 10, 10 + ab, Ink::Red), 5);
    EXPECT_EQ(CountInBuffer(tip, 10 + ab, 10 + abcd, Ink::Red), 0);
    EXPECT_GT(CountInBuffer(tip, 10 + ab, 10 + abcd, Ink::Dark), 5);
    EXPECT_EQ(CountInBuffer(tip, 0, 10, Ink::Dark), 0);
    // Outline on all four edges of the new width, background inside.
    const int w = abcd + 20;
    for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{w - 1, 19}, POINT{0, 19}, POINT{w / 2, 0}, POINT{w / 2, 19},
                    POINT{0, 10}, POINT{w - 1, 10}})
        EXPECT_EQ(GetPixel(tip.dcTip, p.x, p.y), kOutline) << p.x << "," << p.y;
    EXPECT_EQ(GetPixel(tip.dcTip, 3, 3), kBack);
    // The window shows the buffer once it has painted.
    InteractFixture::Pump(100);
    HDC dc = GetDC(tip);
    EXPECT_EQ(GetPixel(dc, 0, 0), kOutline);
    EXPECT_EQ(GetPixel(dc, 3, 3), kBack);
    ReleaseDC(tip, dc);
}

TEST_F(TipWndTest, EmptyTextAndUnterminatedTail) {
    tip.LayoutText();
    EXPECT_EQ(ClientWidth(tip), 20);
    EXPECT_EQ(CountInBuffer(tip, 1, 19, Ink::Dark), 0);
    EXPECT_EQ(GetPixel(tip.dcTip, 19, 5), kOutline);

    // Text after the last line end is neither measured nor drawn; a segment
    // without ';' is drawn whole in black.
    tip.ClearText();
    tip.strSegments = "WW\r\nXYZ";
    tip.LayoutText();
    EXPECT_EQ(ClientWidth(tip), Extent("WW") + 20);
    EXPECT_GT(CountInBuffer(tip, 10, 10 + Extent("WW"), Ink::Dark), 5);
    EXPECT_EQ(CountInBuffer(tip, 10 + Extent("WW"), ClientWidth(tip) - 1, Ink::Dark), 0);
}

TEST_F(TipWndTest, LineWiderThanTheBufferIsShownWhole) {
    const std::string line(90, 'M');
    tip.AddSegment(line.c_str(), 0);
    tip.LayoutText();
    const int w = Extent(line) + 20;
    ASSERT_GT(w, 350);
    EXPECT_EQ(ClientWidth(tip), w);
    EXPECT_GE(tip.rcBuffer.right, w);
    // The last character and the right edge of the outline are there.
    EXPECT_GT(CountInBuffer(tip, w - 10 - Extent("M"), w - 10, Ink::Dark), 3);
    EXPECT_EQ(GetPixel(tip.dcTip, w - 1, 10), kOutline);
    InteractFixture::Pump(100);
    HDC dc = GetDC(tip);
    EXPECT_EQ(GetPixel(dc, w - 1, 10), kOutline);
    EXPECT_EQ(GetPixel(dc, w - 5, 3), kBack);
    ReleaseDC(tip, dc);

    // A short line afterwards: the window narrows again with its outline.
    tip.ClearText();
    tip.AddSegment("A", 0);
    tip.LayoutText();
    EXPECT_EQ(ClientWidth(tip), Extent("A") + 20);
    EXPECT_EQ(GetPixel(tip.dcTip, Extent("A") + 19, 10), kOutline);
}

TEST_F(TipWndTest, DestroyReleasesTheBuffer) {
    tip.LayoutText();
    EXPECT_TRUE(tip.DestroyWindow());
    EXPECT_FALSE(tip.dcTip);
    EXPECT_FALSE(tip.dcTip.BitmapHandle());
    EXPECT_FALSE(tip.fontTip);
    EXPECT_EQ(tip.m_hWnd, nullptr);
}

TEST(TipWndOverHost, StaysOnTopWithoutTakingTheFocus) {
    // A host window under where the tooltip appears, active with the focus.
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600, 400, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    SetForegroundWindow(host);
    SetFocus(host);
    InteractFixture::Pump(50);
    ASSERT_EQ(GetActiveWindow(), host);
    {
        TipWnd tip;
        tip.CreateTip(RECT{100, 120, 450, 140}, kText, kBack, kOutline, kFace);
        ShowWindow(host, SW_SHOW);
        SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        InteractFixture::Pump(50);
        EXPECT_EQ(WindowFromPoint(POINT{120, 130}), tip.m_hWnd);
        EXPECT_EQ(GetActiveWindow(), host);
        EXPECT_EQ(GetFocus(), host);
    }
    DestroyWindow(host);
}

TEST(TipWndUncreated, OperationsWithoutAWindowAreHarmless) {
    TipWnd tip;
    tip.AddSegment("x", 1);
    tip.LayoutText();
    EXPECT_EQ(tip.strSegments, "1;x\r\n");
    EXPECT_EQ(tip.m_hWnd, nullptr);
}

}   // namespace

TEST(TipWndHidden, MadeHiddenItIsNeverShownUntilAskedAndKeepsItsPlaceAndBuffer) {
    // A hook sees every WM_SHOWWINDOW the tip receives while it is made.
    static HWND shown = nullptr;
    shown = nullptr;
    HHOOK hook = SetWindowsHookExA(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
            if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam) shown = call->hwnd;
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    TipWnd tip;
    tip.CreateTip(RECT{100, 120, 450, 140}, kText, kBack, kOutline, kFace, true);
    tip.AddSegment("x", 0);
    tip.LayoutText();
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(tip.m_hWnd);
    EXPECT_EQ(shown, nullptr);
    EXPECT_FALSE(IsWindowVisible(tip));
    RECT r{};
    GetWindowRect(tip, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
    EXPECT_EQ(tip.rcBuffer.right, 350);
    ShowWindow(tip, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(tip));
}
