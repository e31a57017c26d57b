#include "win/support/interact_fixture.h"

#include "activex/chart/tip_wnd.h"

LRESULT ClickRecorder::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 100) {
        ++clicks;
        return 1;
    }
    return Wnd::WindowProc(msg, wParam, lParam);
}

bool InteractFixture::Create(int x, int y, int width, int height, const std::function<void(ChartWnd&)>& configure) {
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
        chart.Model().AddBar(time, base, base + 500, base - 200, base + 300, 1000 + i * 100);
    }
    if (count > 0) chart.Model().AddBar(20011015, 52000, 53500, 51800, 52300, 1234567);
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

namespace {

// Copies a rectangle of a DC into a 32-bit DIB and counts one colour in it.
int CountInDc(HDC source, const RECT& rect, COLORREF colour) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    BitBlt(dc, 0, 0, width, height, source, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) count += (pixels[i] & 0xFFFFFF) == wanted;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    return count;
}

}   // namespace

int InteractFixture::CountOnWindow(const RECT& rect, COLORREF colour) const {
    HDC dc = GetDC(chart);
    const int count = CountInDc(dc, rect, colour);
    ReleaseDC(chart, dc);
    return count;
}

int InteractFixture::CountInMem(const RECT& rect, COLORREF colour) const {
    return CountInDc(chart.dcMem, rect, colour);
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
