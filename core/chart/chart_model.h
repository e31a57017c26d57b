// ChartModel: the chart without a window. It holds the settings, the day's
// series, the layout and scale state, and runs the redraw pass, which turns
// all of it into a scene (chart/scene.h). ChartWnd (Windows), the PNG
// renderer and the web component each reach one through a ChartSession
// (core/interact/chart_session.h) and replay its scene.
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chart/chart_geometry.h"
#include "chart/scene.h"
#include "chart/settings_table.h"
#include "data/series_store.h"
#include "data/stock_records.h"

class ChartModel {
public:
    // --- Operations used by the loader -------------------------------------
    void ResetSeries();
    void AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume);
    // The redraw pass: range pass, layout, scales, records, strip, into
    // `scene`. False (and the scene left as it was) when nStartIndex names no
    // record.
    bool DrawChart(bool bResetScroll);
    // Clears the client area and draws the pane frames: the start of every
    // pass, and the whole picture of a chart without records.
    void LayoutPanes(bool bResetScroll);

    // --- Scroll position and zoom --------------------------------------------
    // The first record of the view when the newest is in the last slot but one.
    int32_t NewestStart() const;
    // Shows the records from `first` on, clamped to 0 .. NewestStart().
    void SetStart(int64_t first);
    // Records per slot width: 1 to 12 pixels, 3 unless zoomed.
    static constexpr int32_t kMinSlotWidth = 1, kMaxSlotWidth = 12, kDefaultSlotWidth = 3;
    // Half the width of a candle's body and a volume bar, whose middle column is
    // the slot line: bodies keep a gap to their neighbours once there is room.
    int32_t BodyHalf() const;

    // --- Interaction --------------------------------------------------------
    struct SlotHit {
        int32_t x;      // the slot line's column
        int32_t slot;   // the slot index (-1 for rcBox.left itself)
    };
    SlotHit SnapToSlot(int32_t x) const;
    // The crosshair through the slot line of column x and row y, as two lines
    // across rcBox (drawn on the window, never into the chart's scene).
    void BuildCrosshair(Scene& out, int32_t x, int32_t y) const;
    // The tooltip's line for the record in a slot (English or Korean by
    // strType), or nothing when the slot holds no record.
    std::optional<std::string> TipText(int32_t slot) const;

    // --- State --------------------------------------------------------------
    ChartSettings settings;   // copied in once, before the first pass
    SeriesStore series;       // also holds nAppendCount, nScrollMax, nStartIndex
    Scene scene;              // what the last pass drew

    int32_t nMaxVolume = 0;
    int32_t nMinVolume = 0;
    int32_t nMaxHigh = 0;
    int32_t nMinLow = 0;

    Rect rcClient{};
    Rect rcValue{};
    Rect rcVolume{};
    Rect rcBox{};
    Rect rcScrollStrip{};   // where the (hidden) scroll bar goes after a reset layout

    int32_t nValueBase = 0;
    int32_t nValueHeight = 0;
    int32_t nValueMul = 1;
    int32_t nValueDiv = 1;

    int32_t nVolumeBase = 0;
    int32_t nVolumeHeight = 0;
    int32_t nVolumePerPixel = 0;

    std::string strLastHour;
    int32_t nLabelCount = 0;

    int32_t nViewCount = 0;
    int32_t nBoxWidth = 0;
    int32_t nCurrentBarHeight = 19;
    int32_t nSlotWidth = kDefaultSlotWidth;

    static constexpr Colour kCrosshairColour = 0xA56E3A;

private:
    // The drawing steps of the redraw pass, into scene.
    void DrawValueScale();
    int32_t ValueToPixel(int32_t value) const;
    void DrawCandle(int32_t high, int32_t close, int32_t open, int32_t low, int32_t x);
    void DrawVolumeScale();
    int32_t VolumeToPixel(int32_t volume) const;
    void DrawVolumeStick(int32_t volume, int32_t x);
    void DrawTimeLabel(const char* text, int32_t x);
    void DrawCurrentBar();
};
