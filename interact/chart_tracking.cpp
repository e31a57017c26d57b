// Scaffold so the chart links while the interaction code is being written:
// every handler here falls back to the system's default handling.
#include "chart/chart_wnd.h"
#include "interact/tip_wnd.h"

ChartWnd::SlotHit ChartWnd::SnapToSlot(int32_t x) const { return {x, -1}; }
void ChartWnd::TrackMouse(int32_t, int32_t) {}
void ChartWnd::UpdateTipText(int32_t) {}
BOOL ChartWnd::PreTranslateMessage(MSG*) { return FALSE; }
void ChartWnd::OnMouseMove(UINT, POINT) { Default(); }
void ChartWnd::OnTimer(UINT_PTR) { Default(); }
BOOL ChartWnd::OnSetCursor(HWND, UINT, UINT) { return static_cast<BOOL>(Default()); }
void ChartWnd::OnLButtonDown(UINT, POINT) { Default(); }
void ChartWnd::CreateTooltip(const RECT&) { pTipWnd = std::make_unique<TipWnd>(); }
void ChartWnd::DestroyTooltip() { pTipWnd.reset(); }

TipWnd::~TipWnd() = default;
LRESULT TipWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return Wnd::WindowProc(msg, wParam, lParam); }
