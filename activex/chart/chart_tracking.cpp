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
    switch (msg->wParam) {
    case VK_DOWN:
        TrackMouse(ptLastTrack.x, ptLastTrack.y + 1);
        break;
    case VK_UP:
        TrackMouse(ptLastTrack.x, ptLastTrack.y - 1);
        break;
    case VK_LEFT:
        // ptLastTrack.x is a slot line; 3 columns left is the previous one
        // (x - 1 would snap back up to the same line).
        TrackMouse(ptLastTrack.x - 3, ptLastTrack.y);
        break;
    case VK_RIGHT:
        TrackMouse(ptLastTrack.x + 1, ptLastTrack.y);
        break;
    }
    // Never consumed: the key is still dispatched as usual.
    return FALSE;
}
