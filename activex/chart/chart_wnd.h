// ChartWnd: the child window that shows the chart. The portable ChartModel
// it derives from holds the series, the layout and the scales and builds each
// redraw as a scene; this window replays the scene into the off-screen
// surface dcMem, and painting copies dcMem to the screen.
//
// Implementation files:
//   chart_wnd.cpp      construction, message map, OnCreate/OnPaint/OnSize/OnDestroy
//   chart_redraw.cpp   the redraw operations: build the scene, replay it
//   chart_tracking.cpp  crosshair, tooltip text, hover timer, cursor, click
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "chart/chart_model.h"
#include "activex/framework/gdi.h"
#include "activex/framework/wnd.h"

class TipWnd;
class ScrollBar;

class ChartWnd : public Wnd, public ChartModel {
public:
    ChartWnd();
    ~ChartWnd() override;

    // --- Operations used by the loader: the model's, then the surface -------
    void ResetSeries();
    BOOL RefreshChart(BOOL bResetScroll);
    BOOL DrawChart(BOOL bResetScroll);
    void LayoutPanes(BOOL bResetScroll);

    // Copies the off-screen surface to dc (client-sized block at 0, 0) and fills
    // what the screen-sized bitmap does not cover with crMainBackGround.
    void CopySurface(HDC dc) const;

    // --- Interaction --------------------------------------------------------
    void TrackMouse(int32_t x, int32_t y);
    void UpdateTipText(int32_t slot);
    BOOL PreTranslateMessage(MSG* msg) override;

    // --- Window state -------------------------------------------------------
    Font fontChart;                // "굴림체", height 11, Hangul character set
    Surface dcMem;                 // as large as the screen, fontChart selected
    SIZE sizeMem{};                // size of the surface (the screen's size at creation)

    POINT ptLastTrack{};
    int32_t bForceTrack = 0;
    // No crosshair is drawn before the mouse has been over the chart.
    bool bHasTracked = false;

    std::unique_ptr<ScrollBar> pScrollBar;   // hidden, child id 5555
    std::unique_ptr<TipWnd> pTipWnd;

    static constexpr UINT_PTR nHoverTimer = 1;
    static constexpr UINT kScrollBarId = 5555;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int OnCreate(CREATESTRUCTA* cs);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();
    void OnMouseMove(UINT flags, POINT point);
    void OnTimer(UINT_PTR id);
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    void OnLButtonDown(UINT flags, POINT point);

    // OnCreate steps 3 and 4: the TipWnd object, and with nIsToolTip == 1 the
    // hover timer and the tooltip window with its first text.
    void CreateTooltip(const RECT& rcTip);
    // OnDestroy step 1.
    void DestroyTooltip();

private:
    // The last scene into dcMem.
    void ReplayIntoSurface();
    // After a layout that resets the scroll position: the scroll bar under the volume pane.
    void PlaceScrollBar();
};
