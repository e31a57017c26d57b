// ChartWnd: construction, message map, creation, painting, resizing,
// destruction and the series reset. The redraw pass is in chart_redraw.cpp.
#include "activex/chart/chart_wnd.h"

#include <windowsx.h>

#include "chart/korean_texts.h"
#include "activex/chart/rect_convert.h"
#include "activex/framework/scroll_bar.h"
#include "activex/chart/tip_wnd.h"

ChartWnd::ChartWnd() = default;

ChartWnd::~ChartWnd() {
    // Destroy the window while the members it releases in OnDestroy still exist.
    if (m_hWnd) DestroyWindow();
}

LRESULT ChartWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        return 0;
    case WM_GETDLGCODE:
        // Dialog hosts pass the arrow keys on instead of moving the focus.
        return DLGC_WANTARROWS;
    case WM_USER + 100:
        return 1;
    default:
        return Default();
    }
}

int ChartWnd::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;

    CreateTooltip();

    pScrollBar = std::make_unique<ScrollBar>();
    pScrollBar->Create(WS_CHILD | WS_VISIBLE | SBS_HORZ | SBS_TOPALIGN, RECT{0, 0, 0, 0}, m_hWnd, kScrollBarId);
    pScrollBar->Show(SW_HIDE);

    ChartModel& model = Model();
    model.nMaxVolume = model.nMinVolume = model.nMaxHigh = model.nMinLow = 0;

    SCROLLINFO info{};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = 1;
    info.nPage = 50;
    info.nPos = 1;
    pScrollBar->SetScrollInfo(info, TRUE);

    RECT client{};
    GetClientRect(m_hWnd, &client);
    core.SetClient(ToRect(client));
    sizeMem = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};

    LOGFONTA lf{};
    lf.lfHeight = kChartFontHeight;
    lf.lfCharSet = HANGEUL_CHARSET;
    lstrcpynA(lf.lfFaceName, kChartFaceName, LF_FACESIZE);
    fontChart.Reset(CreateFontIndirectA(&lf));

    // Compatible with the window's DC, so the bitmap has the screen's colour format.
    ClientDC window(m_hWnd);
    dcMem.Create(window, sizeMem.cx, sizeMem.cy);
    dcMem.UseFont(fontChart);
    if (dcMem) SetBkMode(dcMem, TRANSPARENT);
    LayoutPanes(TRUE);
    return 0;
}

void ChartWnd::CopySurface(HDC dc) const {
    if (!dcMem) return;
    const ChartModel& model = Model();
    const Rect& rcClient = model.rcClient;
    BitBlt(dc, 0, 0, rcClient.right - rcClient.left, rcClient.bottom - rcClient.top, dcMem, 0, 0, SRCCOPY);
    // The bitmap is screen-sized; a larger client area shows the background
    // colour there rather than whatever the window held before.
    const ExcessArea excess = UncoveredArea(rcClient, sizeMem.cx, sizeMem.cy);
    for (int i = 0; i < excess.count; ++i)
        FillSolidRect(dc, ToRECT(excess.rects[i]), static_cast<COLORREF>(model.settings.crMainBackGround));
}

void ChartWnd::OnPaint() {
    PaintDC dc(m_hWnd);
    if (!dcMem) return;
    CopySurface(dc);
    ShowTrack(core.Retrack());
}

void ChartWnd::OnSize(UINT, int, int) {
    Default();
    if (!RefreshChart(TRUE)) LayoutPanes(TRUE);
    DrawChart(FALSE);
}

void ChartWnd::OnDestroy() {
    DestroyTooltip();
    pScrollBar.reset();
    dcMem.Reset();
    fontChart.Reset();
    Default();
}
