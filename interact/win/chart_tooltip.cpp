// The chart's tooltip: created with the chart, its text rebuilt for the record
// under the crosshair, and kept beside the cursor by the hover timer.
#include "chart/win/chart_wnd.h"
#include "interact/tip_place.h"
#include "interact/tip_text.h"
#include "interact/win/tip_wnd.h"

namespace {

// Korean texts live in this Windows-compiled file so they are stored in the
// system's code page (949).
const char kTipFormatKorean[] = "%s/%s 시%s 고%s 저%s 종%s 거%s";
const char kTipFaceName[] = "굴림체";
const char kTipFirstText[] = "달모로 제공";

}  // namespace

void ChartWnd::CreateTooltip(const RECT& rcTip) {
    pTipWnd = std::make_unique<TipWnd>();
    if (nIsToolTip != 1) return;
    SetTimer(m_hWnd, nHoverTimer, 100, nullptr);
    pTipWnd->CreateTip(rcTip, crToolTipText, crToolTipBackGround, crToolTipOutLine, kTipFaceName);
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
    const BarRecord* bar = series.At(TipBarIndex(slot, series.nStartIndex, series.Count()));
    if (!bar) return;   // no record in that slot: the tooltip keeps its text
    const std::string text = FormatTipText(bIsEnglish ? kTipFormatEnglish : kTipFormatKorean, *bar);
    if (nIsToolTip != 1 || !pTipWnd) return;
    pTipWnd->ClearText();
    pTipWnd->AddSegment(text.c_str(), 0);
    pTipWnd->LayoutText();
}

void ChartWnd::OnTimer(UINT_PTR id) {
    if (id == nHoverTimer && nIsToolTip == 1 && pTipWnd && pTipWnd->m_hWnd) {
        POINT cursor{};
        GetCursorPos(&cursor);
        RECT box = rcBox;
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
