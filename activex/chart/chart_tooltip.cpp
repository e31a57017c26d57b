// The chart's tooltip: its object and text made with the chart, its window at
// the first hover; the text rebuilt for the record under the crosshair, and
// kept beside the cursor by the hover timer.
#include "chart/korean_texts.h"
#include "activex/chart/chart_wnd.h"
#include "interact/tip_place.h"
#include "interact/tip_scene.h"
#include "activex/chart/tip_wnd.h"

namespace {

constexpr int kTipOffset = 10, kTipWidth = 350;

}   // namespace

void ChartWnd::CreateTooltip() {
    pTipWnd = std::make_unique<TipWnd>();
    if (Model().settings.nIsToolTip != 1) return;
    SetTimer(m_hWnd, nHoverTimer, kHoverTickMs, nullptr);
    // The window waits for the first hover: a chart that is never pointed at
    // never makes one, and the first chart comes up sooner.
    pTipWnd->AddSegment(kTipFirstText, 0);
}

bool ChartWnd::MakeTipWindow() {
    if (pTipWnd->m_hWnd) return true;
    const ChartSettings& settings = Model().settings;
    RECT rcWindow{};
    GetWindowRect(m_hWnd, &rcWindow);
    const RECT rcTip{rcWindow.left + kTipOffset, rcWindow.top + kTipOffset, rcWindow.left + kTipOffset + kTipWidth,
                     rcWindow.top + kTipOffset + kTipHeight};
    pTipWnd->CreateTip(rcTip, static_cast<COLORREF>(settings.crToolTipText),
                       static_cast<COLORREF>(settings.crToolTipBackGround),
                       static_cast<COLORREF>(settings.crToolTipOutLine), kChartFaceName, true);
    // The text the pointer's moves left, or the first one.
    pTipWnd->LayoutText();
    return pTipWnd->m_hWnd != nullptr;
}

void ChartWnd::DestroyTooltip() {
    if (!pTipWnd) return;
    pTipWnd->DestroyWindow();
    pTipWnd.reset();
}

void ChartWnd::OnTimer(UINT_PTR id) {
    if (id == nHoverTimer && Model().settings.nIsToolTip == 1 && pTipWnd) {
        POINT cursor{};
        GetCursorPos(&cursor);
        POINT client = cursor;
        ScreenToClient(m_hWnd, &client);
        // Only the chart itself under the cursor counts: not the tooltip, not
        // a window lying over the chart.
        if (core.ShowsTip(client.x, client.y) && WindowFromPoint(cursor) == m_hWnd && MakeTipWindow()) {
            const HWND tip = *pTipWnd;
            RECT size{};
            GetClientRect(tip, &size);
            const TipPlace place = PlaceTip(cursor.x, cursor.y, size.right, GetSystemMetrics(SM_CXSCREEN));
            MoveWindow(tip, place.left, place.top, size.right, kTipHeight, TRUE);
            if (!IsWindowVisible(tip)) ShowWindow(tip, SW_SHOWNA);   // the host keeps the focus
        } else if (pTipWnd->m_hWnd && IsWindowVisible(*pTipWnd)) {
            ShowWindow(*pTipWnd, SW_HIDE);
        }
    }
    Default();
}
