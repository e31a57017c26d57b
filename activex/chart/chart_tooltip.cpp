// The chart's tooltip: created with the chart, its text rebuilt for the record
// under the crosshair, and kept beside the cursor by the hover timer.
#include "chart/korean_texts.h"
#include "activex/chart/chart_wnd.h"
#include "interact/tip_place.h"
#include "interact/tip_scene.h"
#include "activex/chart/tip_wnd.h"

void ChartWnd::CreateTooltip(const RECT& rcTip) {
    const ChartSettings& settings = Model().settings;
    pTipWnd = std::make_unique<TipWnd>();
    if (settings.nIsToolTip != 1) return;
    SetTimer(m_hWnd, nHoverTimer, kHoverTickMs, nullptr);
    pTipWnd->CreateTip(rcTip, static_cast<COLORREF>(settings.crToolTipText),
                       static_cast<COLORREF>(settings.crToolTipBackGround),
                       static_cast<COLORREF>(settings.crToolTipOutLine), kChartFaceName, true);
    pTipWnd->AddSegment(kTipFirstText, 0);
    pTipWnd->LayoutText();
}

void ChartWnd::DestroyTooltip() {
    if (!pTipWnd) return;
    pTipWnd->DestroyWindow();
    pTipWnd.reset();
}

void ChartWnd::OnTimer(UINT_PTR id) {
    if (id == nHoverTimer && Model().settings.nIsToolTip == 1 && pTipWnd && pTipWnd->m_hWnd) {
        POINT cursor{};
        GetCursorPos(&cursor);
        POINT client = cursor;
        ScreenToClient(m_hWnd, &client);
        const HWND tip = *pTipWnd;
        // Only the chart itself under the cursor counts: not the tooltip, not
        // a window lying over the chart.
        if (session.ShowsTip(client.x, client.y) && WindowFromPoint(cursor) == m_hWnd) {
            RECT size{};
            GetClientRect(tip, &size);
            const TipPlace place = PlaceTip(cursor.x, cursor.y, size.right, GetSystemMetrics(SM_CXSCREEN));
            MoveWindow(tip, place.left, place.top, size.right, kTipHeight, TRUE);
            if (!IsWindowVisible(tip)) ShowWindow(tip, SW_SHOWNA);   // the host keeps the focus
        } else if (IsWindowVisible(tip)) {
            ShowWindow(tip, SW_HIDE);
        }
    }
    Default();
}
