// The hand cursor over the whole chart window, and the click that asks the
// control to open its page.
#include "activex/chart/chart_wnd.h"
#include "activex/res/resource.h"

BOOL ChartWnd::OnSetCursor(HWND, UINT, UINT) {
    SetCursor(LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(IDC_HAND_CURSOR)));
    return TRUE;
}

void ChartWnd::OnLButtonDown(UINT, POINT) {
    // Click, then the arrow keys move the crosshair: the keyboard comes here.
    SetFocus(m_hWnd);
    // Only exactly "N" switches the click off ("n" and "NO" do not).
    if (core.ClickEnabled()) {
        if (HWND control = GetParent(GetParent(m_hWnd))) SendMessageA(control, kClickMessage, 0, 0);
    }
    Default();
}
