// A ChartWnd of a given client size inside a hidden popup host, with the
// chart's own default settings (tooltip off so only the chart's drawing is
// tested), and pixel queries on its off-screen surface.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "activex/chart/chart_wnd.h"
#include "activex/chart/rect_convert.h"
#include "data/stock_records.h"

class ChartFixture {
public:
    ChartWnd chart;

    // `configure` changes settings before the window exists.
    bool Create(int width, int height, const std::function<void(ChartWnd&)>& configure = {});
    // What the loader does: reset, add every bar, redraw without scroll reset.
    void Load(const std::vector<BarRecord>& bars);
    void Resize(int width, int height);

    COLORREF Pixel(int x, int y) const { return GetPixel(chart.dcMem, x, y); }
    // Pixels of `colour` inside rect (right and bottom exclusive).
    int Count(const RECT& rect, COLORREF colour) const;

private:
    class Host : public Wnd {};
    Host host;
};

// `count` one-minute bars from 9:00:00 with the given prices and volumes.
BarRecord Bar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume);
std::vector<BarRecord> MinuteBars(int count, int32_t price = 10000, int32_t volume = 1000);

void PumpMessages();

// Decodes a PNG with WIC; false when it cannot be read.
bool ReadPngSize(const std::string& path, UINT& width, UINT& height);
