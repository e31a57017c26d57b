// The crosshair: a vertical line on the record under the cursor and a
// horizontal line at the cursor's height, drawn straight onto the window and
// never into dcMem, so any repaint from dcMem removes it. Where it goes is
// the core's to decide; the window invalidates and draws.
#include "activex/chart/chart_wnd.h"
#include "activex/chart/scene_replay.h"
#include "activex/chart/tip_wnd.h"

void ChartWnd::ShowTrack(int32_t changed) {
    if (!(changed & ChartSession::kCrosshairMoved)) return;
    const Rect& box = Model().rcBox;
    const Point from = core.PreviousCrosshair(), to = core.Crosshair();
    if (to.x != from.x) {
        const RECT oldColumn{from.x, box.top, from.x + 1, box.bottom};
        InvalidateRect(m_hWnd, &oldColumn, TRUE);
    }
    if (to.y != from.y) {
        const RECT oldRow{box.left, from.y, box.right, from.y + 1};
        InvalidateRect(m_hWnd, &oldRow, TRUE);
    }
    if (ClientDC dc(m_hWnd); dc) ReplayScene(dc, core.CrosshairScene(), {});
    // No record in that slot: the tooltip keeps its text.
    if ((changed & ChartSession::kTipChanged) && Model().settings.nIsToolTip == 1 && pTipWnd) {
        pTipWnd->ClearText();
        pTipWnd->AddSegment(core.TipText().c_str(), 0);
        pTipWnd->LayoutText();
    }
}

void ChartWnd::OnMouseMove(UINT, POINT point) {
    ShowTrack(core.PointerMove(point.x, point.y));
    Default();
}

BOOL ChartWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return Wnd::PreTranslateMessage(msg);
    if (MoveCrosshairByKey(msg->wParam) && msg->hwnd == m_hWnd)
        keyPreTranslated = {msg->wParam, msg->lParam, msg->time, true};
    // Never consumed: the key is still dispatched as usual.
    return FALSE;
}

// Hosts whose loop never offers keys to the control (a plain message loop, a
// dialog) deliver them here; a host that did offer them dispatches the same
// message afterwards, which has moved the crosshair already.
void ChartWnd::OnKeyDown(WPARAM key, LPARAM flags) {
    const KeySeen seen = keyPreTranslated;
    keyPreTranslated = {};
    const bool alreadyMoved =
        seen.valid && seen.key == key && seen.flags == flags && seen.time == static_cast<DWORD>(GetMessageTime());
    if (!alreadyMoved) MoveCrosshairByKey(key);
    Default();
}

bool ChartWnd::MoveCrosshairByKey(WPARAM key) {
    switch (key) {
    case VK_DOWN:
        ShowTrack(core.PressKey(ArrowKey::Down));
        return true;
    case VK_UP:
        ShowTrack(core.PressKey(ArrowKey::Up));
        return true;
    case VK_LEFT:
        ShowTrack(core.PressKey(ArrowKey::Left));
        return true;
    case VK_RIGHT:
        ShowTrack(core.PressKey(ArrowKey::Right));
        return true;
    default:
        return false;
    }
}
