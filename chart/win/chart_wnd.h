// ChartWnd: the child window that holds the day's series and shows it. Every
// chart element is drawn into the off-screen surface dcMem; painting copies it.
// The arithmetic (layout, scales, label rules) lives in the portable core next
// to this file; the member functions here call it and draw.
//
// Implementation files:
//   chart/chart_wnd.cpp      construction, message map, OnCreate/OnPaint/OnSize/OnDestroy, ResetSeries
//   chart/chart_redraw.cpp   LayoutPanes, RefreshChart, DrawChart and the drawing steps
//   interact/chart_tracking.cpp  crosshair, tooltip text, hover timer, cursor, click
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "data/series_store.h"
#include "framework/gdi.h"
#include "framework/wnd.h"

class TipWnd;
class ScrollBar;

class ChartWnd : public Wnd {
public:
    ChartWnd();
    ~ChartWnd() override;

    // --- Operations used by the loader -------------------------------------
    void ResetSeries();
    void AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume);
    BOOL RefreshChart(BOOL bResetScroll);
    BOOL DrawChart(BOOL bResetScroll);
    void LayoutPanes(BOOL bResetScroll);

    // --- Drawing steps of the redraw pass (into dcMem) ---------------------
    void DrawValueScale();
    int32_t ValueToPixel(int32_t value) const;
    void DrawCandle(int32_t high, int32_t close, int32_t open, int32_t low, int32_t x);
    void DrawVolumeScale();
    int32_t VolumeToPixel(int32_t volume) const;
    void DrawVolumeStick(int32_t volume, int32_t x);
    void DrawTimeLabel(const char* text, int32_t x);
    void DrawCurrentBar();

    // Copies the off-screen surface to dc (client-sized block at 0, 0) and fills
    // what the screen-sized bitmap does not cover with crMainBackGround.
    void CopySurface(HDC dc) const;

    // --- Interaction --------------------------------------------------------
    struct SlotHit {
        int32_t x;      // the slot line's column
        int32_t slot;   // the slot index (-1 for rcBox.left itself)
    };
    SlotHit SnapToSlot(int32_t x) const;
    void TrackMouse(int32_t x, int32_t y);
    void UpdateTipText(int32_t slot);
    BOOL PreTranslateMessage(MSG* msg) override;

    // --- State --------------------------------------------------------------
    SeriesStore series;   // also holds nAppendCount, nScrollMax, nStartIndex

    int32_t nMaxVolume = 0;
    int32_t nMinVolume = 0;
    int32_t nMaxHigh = 0;
    int32_t nMinLow = 0;

    MemoryDC dcMem;
    Bitmap bmpMem;                 // as large as the screen
    HGDIOBJ hOldBitmap = nullptr;  // what dcMem held before bmpMem
    Font fontChart;                // "굴림체", height 11, Hangul character set
    HGDIOBJ hOldFont = nullptr;    // what dcMem held before fontChart
    SIZE sizeMem{};                // size of bmpMem (the screen's size at creation)

    RECT rcClient{};
    RECT rcValue{};
    RECT rcVolume{};
    RECT rcBox{};

    int32_t nValueBase = 0;
    int32_t nValueHeight = 0;
    int32_t nValueMul = 1;
    int32_t nValueDiv = 1;

    int32_t nVolumeBase = 0;
    int32_t nVolumeHeight = 0;
    int32_t nVolumePerPixel = 0;

    std::string strLastHour;
    int32_t nLabelCount = 0;

    POINT ptLastTrack{};
    int32_t bForceTrack = 0;
    // No crosshair is drawn before the mouse has been over the chart.
    bool bHasTracked = false;

    int32_t nViewCount = 0;
    int32_t bIsEnglish = 0;
    std::string strClickAction;
    std::unique_ptr<ScrollBar> pScrollBar;   // hidden, child id 5555
    int32_t nBoxWidth = 0;
    std::unique_ptr<TipWnd> pTipWnd;

    static constexpr UINT_PTR nHoverTimer = 1;
    static constexpr UINT kScrollBarId = 5555;
    static constexpr COLORREF kCrosshairColour = 0xA56E3A;

    // --- Settings (copied from the control's properties before creation) ---
    COLORREF crToolTipBackGround = 0xFFFEDF;
    COLORREF crToolTipOutLine = 0xFFA570;
    COLORREF crToolTipText = 0x000000;
    COLORREF crCurrentBarBackGround = 0xFFFEDF;
    COLORREF crCurrentBarText = 0x9C3100;
    COLORREF crCurrentBarUpLine = 0xE4FFFE;
    COLORREF crCurrentBarDownLine = 0xD0CFB2;
    COLORREF crHighCandle = 0x1701E5;
    COLORREF crLowCandle = 0x89482B;
    COLORREF crStick = 0xFFA570;
    COLORREF crValueHorizonalLine = 0xD6D6D6;
    COLORREF crVolumeHorizonalLine = 0xD6D6D6;
    COLORREF crTime = 0x5D5D5D;
    COLORREF crVolumeText = 0xFF0094;
    COLORREF crValueText = 0x000000;
    int32_t nsizeGapY = 4;
    int32_t nsizeGapX = 5;
    int32_t nCurrentBarHeight = 19;
    int32_t nIsCurrentBar = 1;
    int32_t nIsToolTip = 1;
    COLORREF crBoxLine = 0xFF6363;
    COLORREF crValueBackGround = 0xF7FFFF;
    COLORREF crMainBackGround = 0xFCF5EE;
    COLORREF crVolumeBackGround = 0xF7FFFF;

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
};
