// ChartWnd: the child window that shows the chart. Its portable ChartSession
// holds the model (series, layout, scales, the scene of each redraw) and
// decides the crosshair and the tooltip's text; this window replays the
// scenes into the off-screen surface dcMem and onto the screen, and painting
// copies dcMem to the screen.
//
// Implementation files:
//   chart_wnd.cpp      construction, message map, OnCreate/OnPaint/OnSize/OnDestroy
//   chart_redraw.cpp   the redraw operations: build the scene, replay it
//   chart_tracking.cpp  crosshair and keys; chart_tooltip.cpp the tooltip and hover timer;
//   chart_click.cpp     cursor and click
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "chart/chart_model.h"
#include "interact/chart_session.h"
#include "activex/framework/gdi.h"
#include "activex/framework/wnd.h"

class TipWnd;
class ScrollBar;

// Sent synchronously to the control's window by a click; both parameters 0.
inline constexpr UINT kClickMessage = WM_APP + 100;

class ChartWnd : public Wnd {
public:
    ChartWnd();
    ~ChartWnd() override;

    // The chart's model, as the loader and the control read and feed it.
    ChartModel& Model() { return core.MutableModel(); }
    const ChartModel& Model() const { return core.Model(); }

    // --- Operations used by the loader: the core's, then the surface -----
    void ResetSeries();
    BOOL RefreshChart(BOOL bResetScroll);
    BOOL DrawChart(BOOL bResetScroll);
    void LayoutPanes(BOOL bResetScroll);
    // The last scene into dcMem.
    void ReplayIntoSurface();

    // Copies the off-screen surface to dc (client-sized block at 0, 0) and fills
    // what the screen-sized bitmap does not cover with crMainBackGround.
    void CopySurface(HDC dc) const;

    // --- Interaction --------------------------------------------------------
    BOOL PreTranslateMessage(MSG* msg) override;

    // --- State --------------------------------------------------------------
    ChartSession core;   // no tooltip scene: TipWnd draws its own
    Font fontChart;      // "굴림체", height 11, Hangul character set
    Surface dcMem;       // as large as the screen, fontChart selected
    SIZE sizeMem{};      // size of the surface (the screen's size at creation)

    std::unique_ptr<ScrollBar> pScrollBar;   // hidden, child id 5555
    std::unique_ptr<TipWnd> pTipWnd;         // its window made at the first hover

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
    void OnKeyDown(WPARAM key, LPARAM flags);
    // The arrow keys' move of the crosshair; false for any other key.
    bool MoveCrosshairByKey(WPARAM key);

    // OnCreate steps 3 and 4: the TipWnd object, and with nIsToolTip == 1 the
    // hover timer and the tooltip's first text.
    void CreateTooltip();
    // The tooltip's window, made hidden beside the chart at the first hover
    // with the text it holds; false when it cannot be made.
    bool MakeTipWindow();
    // OnDestroy step 1.
    void DestroyTooltip();

private:
    // The key message PreTranslateMessage acted on for this window: the same
    // message dispatched here afterwards must not move the crosshair again.
    struct KeySeen {
        WPARAM key = 0;
        LPARAM flags = 0;
        DWORD time = 0;
        bool valid = false;
    } keyPreTranslated;

    // Shows what a track changed: the old crosshair's lines invalidated, the
    // new one drawn on the window, the tooltip's text.
    void ShowTrack(int32_t changed);
    // After a layout that resets the scroll position: the scroll bar under the volume pane.
    void PlaceScrollBar();
};
