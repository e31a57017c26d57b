#include "win/support/interact_fixture.h"

#include "interact/tip_wnd.h"

LRESULT ClickRecorder::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 100) {
        ++clicks;
        return 1;
    }
    return Wnd::WindowProc(msg, wParam, lParam);
}

bool InteractFixture::Create(int x, int y, int width, int height,
                             const std::function<void(ChartWnd&)>& configure) {
    if (!top.CreateEx(0, nullptr, "interact", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr))
        return false;
    const RECT all{0, 0, width, height};
    if (!parent.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, all, top, 0)) return false;
    if (configure) configure(chart);
    if (!chart.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, all, parent, 5000)) return false;
    Pump(50);
    return true;
}

void InteractFixture::LoadDay(int count) {
    chart.ResetSeries();
    for (int i = 0; i + 1 < count; ++i) {
        const int32_t time = 90000 + (i / 60) * 10000 + (i % 60) * 100;
        const int32_t base = 52000 + i * 10;
        chart.AddBar(time, base, base + 500, base - 200, base + 300, 1000 + i * 100);
    }
    if (count > 0) chart.AddBar(20011015, 52000, 53500, 51800, 52300, 1234567);
    chart.RefreshChart(FALSE);
    Pump(50);
}

void InteractFixture::Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

bool InteractFixture::PumpUntil(const std::function<bool()>& done, int ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

POINT InteractFixture::ToScreen(int x, int y) const {
    POINT p{x, y};
    ClientToScreen(chart, &p);
    return p;
}

COLORREF InteractFixture::WindowPixel(int x, int y) const {
    HDC dc = GetDC(chart);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(chart, dc);
    return colour;
}

COLORREF InteractFixture::MemPixel(int x, int y) const {
    return GetPixel(chart.dcMem, x, y);
}

void InteractFixture::MoveMouse(int x, int y) {
    SendMessageA(chart, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

BOOL InteractFixture::PressKey(WPARAM key) {
    MSG msg{};
    msg.hwnd = chart;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return Wnd::WalkPreTranslateTree(top, &msg);
}

std::string TipLine(const ChartWnd& chart) {
    if (!chart.pTipWnd) return {};
    const std::string& text = chart.pTipWnd->strSegments;
    const size_t semicolon = text.find(';');
    const size_t end = text.rfind("\r\n");
    if (semicolon == std::string::npos || end == std::string::npos || end < semicolon) return text;
    return text.substr(semicolon + 1, end - semicolon - 1);
}
