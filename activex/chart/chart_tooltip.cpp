// The chart's tooltip: created with the chart, its text rebuilt for the record
// under the crosshair, and kept beside the cursor by the hover timer.
#include "chart/korean_texts.h"
#include "activex/chart/chart_wnd.h"
#include "interact/tip_place.h"
#include "activex/chart/tip_wnd.h"

void ChartWnd::CreateTooltip(const RECT& rcTip) {
    pTipWnd = std::make_unique<TipWnd>();
    if (settings.nIsToolTip != 1) return;
    SetTimer(m_hWnd, nHoverTimer, 100, nullptr);
    pTipWnd->CreateTip(rcTip, static_cast<COLORREF>(settings.crToolTipText),
                       static_cast<COLORREF>(settings.crToolTipBackGround),
                       static_cast<COLORREF>(settings.crToolTipOutLine), kChartFaceName);
    ShowWindow(*pTipWnd, SW_HIDE);
    pTipWnd->AddSegment(kTipFirstText, 0);
    pTipWnd->LayoutText();
}

void ChartWnd::DestroyTooltip() {
    if (!pTipWnd) return;
    pTipWnd->DestroyWindow();
    pTipWnd.reset();
}

void ChartWnd::UpdateTipText(int32_t slot) {
    const std::optional<std::string> text = TipText(slot);
    if (!text) return;   // no record in that slot: the tooltip keeps its text
    if (settings.nIsToolTip != 1 || !pTipWnd) return;
    pTipWnd->ClearText();
    pTipWnd->AddSegment(text->c_str(), 0);
    pTipWnd->LayoutText();
}

void ChartWnd::OnTimer(UINT_PTR id) {
    if (id == nHoverTimer && settings.nIsToolTip == 1 && pTipWnd && pTipWnd->m_hWnd) {
        POINT cursor{};
        GetCursorPos(&cursor);
        RECT box{rcBox.left, rcBox.top, rcBox.right, rcBox.bottom};
        ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&box.left));
        ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&box.right));
        const HWND tip = *pTipWnd;
        // Only the chart itself under the cursor counts: not the tooltip, not
        // a window lying over the chart.
        if (PtInRect(&box, cursor) && WindowFromPoint(cursor) == m_hWnd) {
            RECT client{};
            GetClientRect(tip, &client);
            const TipPlace place = PlaceTip(cursor.x, cursor.y, client.right, GetSystemMetrics(SM_CXSCREEN));
            MoveWindow(tip, place.left, place.top, client.right, 20, TRUE);
            if (!IsWindowVisible(tip)) ShowWindow(tip, SW_SHOWNA);   // the host keeps the focus
        } else if (IsWindowVisible(tip)) {
            ShowWindow(tip, SW_HIDE);
        }
    }
    Default();
}
