// The redraw operations of the window: the core's chart builds the scene, the
// window replays it into dcMem, moves the hidden scroll bar after a layout
// that resets the scroll position, and invalidates itself.
#include "activex/chart/chart_wnd.h"
#include "activex/chart/rect_convert.h"
#include "activex/chart/scene_replay.h"
#include "activex/framework/scroll_bar.h"

void ChartWnd::ReplayIntoSurface() {
    if (dcMem.Bits())
        ReplaySceneIntoBits(dcMem, dcMem.Bits(), dcMem.Size(), core.ChartScene(), {fontChart, fontChart});
    else
        ReplayScene(dcMem, core.ChartScene(), {fontChart, fontChart});
}

void ChartWnd::PlaceScrollBar() {
    if (pScrollBar) pScrollBar->Move(ToRECT(Model().rcScrollStrip), TRUE);
}

void ChartWnd::LayoutPanes(BOOL bResetScroll) {
    if (m_hWnd) {
        RECT client{};
        GetClientRect(m_hWnd, &client);
        core.SetClient(ToRect(client));
    }
    core.LayoutPanes(bResetScroll != FALSE);
    if (bResetScroll) PlaceScrollBar();
    ReplayIntoSurface();
}

void ChartWnd::ResetSeries() {
    core.ResetSeries();
    ReplayIntoSurface();
}

BOOL ChartWnd::RefreshChart(BOOL bResetScroll) {
    if (pScrollBar) {
        // Range and position in one call: the same result as setting them one
        // after the other, with one trip to the system instead of two.
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_POS;
        info.nMax = Model().series.nScrollMax;
        info.nPos = Model().series.nStartIndex;
        pScrollBar->SetScrollInfo(info, TRUE);
    }
    core.ForceTrack(true);
    return DrawChart(bResetScroll);
}

BOOL ChartWnd::DrawChart(BOOL bResetScroll) {
    if (m_hWnd) {
        RECT client{};
        GetClientRect(m_hWnd, &client);
        core.SetClient(ToRect(client));
    }
    if (!core.DrawChart(bResetScroll != FALSE)) return FALSE;
    if (bResetScroll) PlaceScrollBar();
    ReplayIntoSurface();
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
    return TRUE;
}
