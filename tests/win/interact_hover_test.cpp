// The hover timer with the real cursor (SetCursorPos), the hand cursor and
// the click message to the control's window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "activex/chart/tip_wnd.h"
#include "activex/res/resource.h"
#include "win/support/interact_fixture.h"

namespace {

constexpr int kWidth = 420, kHeight = 300;

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

class HoverTest : public ::testing::Test {
protected:
    // The chart sits against the screen's right edge so both tooltip sides can be reached.
    void SetUp() override {
        screenWidth = GetSystemMetrics(SM_CXSCREEN);
        ASSERT_TRUE(f.Create(screenWidth - kWidth, 100, kWidth, kHeight));
        f.LoadDay(30);
        ASSERT_TRUE(f.chart.pTipWnd);
    }
    void TearDown() override { SetCursorPos(0, 0); }

    // The tooltip's window: none until the first hover.
    HWND Tip() const { return f.chart.pTipWnd->m_hWnd; }
    bool TipShown(int ms = 1500) {
        return f.PumpUntil([&] { return IsWindowVisible(Tip()) != 0; }, ms);
    }
    bool TipHidden(int ms = 1500) {
        return f.PumpUntil([&] { return !IsWindowVisible(Tip()); }, ms);
    }
    POINT Cursor(int x, int y) {
        const POINT p = f.ToScreen(x, y);
        SetCursorPos(p.x, p.y);
        return p;
    }

    InteractFixture f;
    int screenWidth = 0;
};

TEST_F(HoverTest, WindowMadeAtTheFirstHoverWithItsText) {
    // Until the chart is pointed at, only the object and its first text.
    EXPECT_EQ(Tip(), nullptr);
    EXPECT_EQ(f.chart.pTipWnd->strSegments, "0;\xb4\xde\xb8\xf0\xb7\xce \xc1\xa6\xb0\xf8\r\n");
    const RECT box = ToRECT(f.chart.Model().rcBox);
    f.MoveMouse(box.left + 20, (box.top + box.bottom) / 2);
    const std::string text = f.chart.pTipWnd->strSegments;
    EXPECT_NE(text, "0;\xb4\xde\xb8\xf0\xb7\xce \xc1\xa6\xb0\xf8\r\n") << "the record's text, held";
    f.Pump(100);
    EXPECT_EQ(Tip(), nullptr) << "a move alone makes no window";

    Cursor(box.left + 20, (box.top + box.bottom) / 2);
    ASSERT_TRUE(TipShown());
    EXPECT_EQ(f.chart.pTipWnd->strSegments, text);
    RECT client{};
    GetClientRect(Tip(), &client);
    EXPECT_GT(client.right, 20);   // laid out: margins and the text
    EXPECT_EQ(client.bottom, 20);
    EXPECT_TRUE(KillTimer(f.chart, ChartWnd::nHoverTimer));   // the timer was running
}

TEST_F(HoverTest, FollowsTheCursorAndFlipsNearTheRightEdge) {
    const RECT box = ToRECT(f.chart.Model().rcBox);
    const int y = (box.top + box.bottom) / 2;
    const POINT p = Cursor(box.left + 20, y);
    ASSERT_LE(p.x + 310, screenWidth);
    ASSERT_TRUE(TipShown());
    f.Pump(250);   // a few more ticks: the place is set on every tick
    RECT r = WindowRect(Tip());
    EXPECT_EQ(r.left, p.x + 10);
    EXPECT_EQ(r.top, p.y + 10);
    EXPECT_EQ(r.bottom - r.top, 20);

    const POINT q = Cursor(box.right - 20, y + 7);
    ASSERT_GT(q.x + 310, screenWidth);
    f.Pump(300);
    r = WindowRect(Tip());
    EXPECT_EQ(r.right, q.x - 5);
    EXPECT_EQ(r.top, q.y + 10);
    RECT client{};
    GetClientRect(Tip(), &client);
    EXPECT_EQ(r.right - r.left, client.right);
    EXPECT_TRUE(IsWindowVisible(Tip()));
}

TEST_F(HoverTest, HiddenOutsideTheFrameOrWhenCovered) {
    const RECT box = ToRECT(f.chart.Model().rcBox);
    const int y = (box.top + box.bottom) / 2;
    Cursor(box.left + 30, y);
    ASSERT_TRUE(TipShown());

    // Over the chart but right of the frame (the label column).
    ASSERT_LT(box.right + 3, kWidth);
    const POINT label = Cursor(box.right + 3, y);
    EXPECT_EQ(WindowFromPoint(label), f.chart.m_hWnd);
    EXPECT_TRUE(TipHidden());

    Cursor(box.left + 30, y);
    ASSERT_TRUE(TipShown());
    // Another window over the chart under the cursor.
    const POINT p = f.ToScreen(box.left + 30, y);
    PlainWnd cover;
    ASSERT_TRUE(cover.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, nullptr, nullptr, WS_POPUP | WS_VISIBLE, p.x - 20,
                               p.y - 20, 40, 40, nullptr, nullptr));
    EXPECT_TRUE(TipHidden());
    cover.DestroyWindow();
    ASSERT_TRUE(TipShown());

    // Off the chart altogether.
    SetCursorPos(0, 0);
    EXPECT_TRUE(TipHidden());
}

TEST_F(HoverTest, HandCursorEverywhereOnTheChart) {
    const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    ASSERT_TRUE(hand);
    for (POINT at : {POINT{f.chart.Model().rcBox.left + 10, f.chart.Model().rcBox.top + 10}, POINT{2, 2},
                     POINT{kWidth - 3, kHeight - 3}}) {
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        const LRESULT handled = SendMessageA(f.chart, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.chart.m_hWnd),
                                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(handled, TRUE);
        EXPECT_EQ(GetCursor(), hand) << at.x << "," << at.y;
    }
}

TEST_F(HoverTest, OnePressOneClickMessageToTheGrandparent) {
    const RECT box = ToRECT(f.chart.Model().rcBox);
    SendMessageA(f.chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 10, box.top + 10));
    EXPECT_EQ(f.top.clicks, 1);
    SendMessageA(f.chart, WM_LBUTTONUP, 0, MAKELPARAM(box.left + 10, box.top + 10));
    EXPECT_EQ(f.top.clicks, 1);   // nothing on release
    SendMessageA(f.chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kWidth - 2, kHeight - 2));
    EXPECT_EQ(f.top.clicks, 2);   // outside the frame as well
}

TEST(ClickAction, OnlyExactlyNSwitchesTheClickOff) {
    for (const char* action : {"N", "n", "NO", "Y", "", " N"}) {
        InteractFixture f;
        ASSERT_TRUE(f.Create(50, 50, 300, 200, [&](ChartWnd& c) { c.Model().settings.strClickAction = action; }));
        SendMessageA(f.chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        EXPECT_EQ(f.top.clicks, std::string(action) == "N" ? 0 : 1) << '"' << action << '"';
    }
}

TEST(NoTooltip, NoTimerNoWindowButCursorAndClickWork) {
    for (int32_t setting : {0, 2}) {
        InteractFixture f;
        ASSERT_TRUE(f.Create(50, 50, 300, 200, [&](ChartWnd& c) { c.Model().settings.nIsToolTip = setting; }));
        f.LoadDay(20);
        ASSERT_TRUE(f.chart.pTipWnd);   // the object exists all the same
        EXPECT_EQ(f.chart.pTipWnd->m_hWnd, nullptr);
        EXPECT_FALSE(KillTimer(f.chart, ChartWnd::nHoverTimer));

        const RECT box = ToRECT(f.chart.Model().rcBox);
        f.MoveMouse(box.left + 10, (box.top + box.bottom) / 2);
        EXPECT_EQ(
            f.CountOnWindow(RECT{box.left + 12, box.top, box.left + 13, box.bottom}, ChartModel::kCrosshairColour),
            box.bottom - box.top);
        EXPECT_TRUE(f.chart.pTipWnd->strSegments.empty());   // text built and thrown away

        SetCursor(nullptr);
        SendMessageA(f.chart, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.chart.m_hWnd),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR)));
        SendMessageA(f.chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        EXPECT_EQ(f.top.clicks, 1);
    }
}

}   // namespace
