#include "hover_capture.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "activex/chart/chart_wnd.h"
#include "activex/support/png_writer.h"
#include "activex/chart/tip_wnd.h"

namespace {

// The tooltip's window may be made while this pumps: its handle is read each time.
void PumpFor(DWORD ms, const TipWnd& tip, bool untilShown) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (untilShown && IsWindowVisible(tip.m_hWnd)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool ParseInt(const char* begin, const char* end, LONG& value) {
    if (begin == end) return false;
    char* stop = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(begin, &stop, 10);
    if (stop != end || errno == ERANGE || parsed < INT_MIN / 2 || parsed > INT_MAX / 2) return false;
    value = static_cast<LONG>(parsed);
    return true;
}

}   // namespace

bool ParseHoverPoint(const char* text, POINT& point) {
    if (!text) return false;
    const char* comma = std::strchr(text, ',');
    if (!comma) return false;
    return ParseInt(text, comma, point.x) && ParseInt(comma + 1, comma + std::strlen(comma), point.y);
}

HRESULT CaptureHover(ChartWnd& chart, POINT client, const std::string& path) {
    if (!chart.m_hWnd || !chart.pTipWnd || chart.Model().settings.nIsToolTip != 1) return E_FAIL;
    const TipWnd& tip = *chart.pTipWnd;   // its window is made by the first hover
    const HWND root = GetAncestor(chart, GA_ROOT);
    ShowWindow(root, SW_SHOW);
    SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(root);
    PumpFor(100, tip, false);

    POINT origin{0, 0};
    ClientToScreen(chart, &origin);
    SetCursorPos(origin.x + client.x, origin.y + client.y);
    // The move a real mouse makes there; a warped cursor may not report one.
    PostMessageA(chart, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    PumpFor(3000, tip, true);
    if (!IsWindowVisible(tip.m_hWnd)) return E_FAIL;
    PumpFor(300, tip, false);   // a few more ticks: placed, painted

    RECT chartRect{}, tipRect{};
    GetClientRect(chart, &chartRect);
    GetWindowRect(tip.m_hWnd, &tipRect);
    const int width = std::max<LONG>(chartRect.right, tipRect.right - origin.x);
    const int height = std::max<LONG>(chartRect.bottom, tipRect.bottom - origin.y);

    return WritePngFromScreen(path, RECT{origin.x, origin.y, origin.x + width, origin.y + height});
}
