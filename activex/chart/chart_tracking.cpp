// The crosshair: a vertical line on the record under the cursor and a
// horizontal line at the cursor's height, drawn straight onto the window and
// never into dcMem, so any repaint from dcMem removes it.
#include "activex/chart/chart_wnd.h"
#include "activex/chart/rect_convert.h"
#include "activex/chart/scene_replay.h"

void ChartWnd::TrackMouse(int32_t x, int32_t y) {
    // Until the mouse has been over the frame ptLastTrack is no real point:
    // neither the forced track after a redraw nor the arrow keys draw at it.
    if (!bHasTracked) return;
    const POINT point{x, y};
    const RECT box = ToRECT(rcBox);
    if (!PtInRect(&box, point) && bForceTrack == 0) return;
    const SlotHit hit = SnapToSlot(x);
    if (hit.x == ptLastTrack.x && y == ptLastTrack.y && bForceTrack == 0) return;

    ClientDC dc(m_hWnd);
    if (!dc) return;
    if (hit.x != ptLastTrack.x) {
        const RECT oldColumn{ptLastTrack.x, rcBox.top, ptLastTrack.x + 1, rcBox.bottom};
        InvalidateRect(m_hWnd, &oldColumn, TRUE);
    }
    if (y != ptLastTrack.y) {
        const RECT oldRow{rcBox.left, ptLastTrack.y, rcBox.right, ptLastTrack.y + 1};
        InvalidateRect(m_hWnd, &oldRow, TRUE);
    }
    Scene crosshair;
    BuildCrosshair(crosshair, x, y);
    ReplayScene(dc, crosshair, {});
    ptLastTrack = {hit.x, y};
    UpdateTipText(hit.slot);
    bForceTrack = 0;
}

void ChartWnd::OnMouseMove(UINT, POINT point) {
    const RECT box = ToRECT(rcBox);
    if (PtInRect(&box, point)) bHasTracked = true;
    TrackMouse(point.x, point.y);
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
        TrackMouse(ptLastTrack.x, ptLastTrack.y + 1);
        return true;
    case VK_UP:
        TrackMouse(ptLastTrack.x, ptLastTrack.y - 1);
        return true;
    case VK_LEFT:
        // ptLastTrack.x is a slot line; 3 columns left is the previous one
        // (x - 1 would snap back up to the same line).
        TrackMouse(ptLastTrack.x - 3, ptLastTrack.y);
        return true;
    case VK_RIGHT:
        TrackMouse(ptLastTrack.x + 1, ptLastTrack.y);
        return true;
    default:
        return false;
    }
}
