// A chart inside a parent inside a grandparent, the tree the control builds:
// the grandparent stands in for the control's window and counts the click
// messages it receives. The top window is a visible popup so the chart is
// really on the screen and cursor-driven code (hover timer) can be exercised.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "activex/chart/chart_wnd.h"
#include "activex/chart/rect_convert.h"
#include "activex/framework/wnd.h"

class ClickRecorder : public Wnd {
public:
    int clicks = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class PlainWnd : public Wnd {};

struct InteractFixture {
    ClickRecorder top;
    PlainWnd parent;
    ChartWnd chart;

    // Creates the tree with the chart at screen (x, y), width x height;
    // `configure` sets the chart's settings before its creation.
    bool Create(int x, int y, int width, int height, const std::function<void(ChartWnd&)>& configure = {});
    // A day of `count` bars from 9:00:00, one a minute, rising prices; the
    // last one is the bar built from the info file (its time is the date
    // 20011015), as the loader appends it. Then the chart redraws.
    void LoadDay(int count);
    // Lets posted messages, paints and timers run for about `ms` milliseconds.
    static void Pump(int ms);
    // Pumps until `done` holds or `ms` pass; returns whether it held.
    static bool PumpUntil(const std::function<bool()>& done, int ms);

    // The chart's client point in screen coordinates.
    POINT ToScreen(int x, int y) const;
    // What the window shows at a client point of the chart, and what dcMem holds there.
    COLORREF WindowPixel(int x, int y) const;
    COLORREF MemPixel(int x, int y) const;
    // Pixels of `colour` in a client rectangle of the chart (right and bottom
    // exclusive), on the window and in dcMem.
    int CountOnWindow(const RECT& rect, COLORREF colour) const;
    int CountInMem(const RECT& rect, COLORREF colour) const;
    // Sends WM_MOUSEMOVE at a client point, as a mouse move over the chart does.
    void MoveMouse(int x, int y);
    // Sends WM_KEYDOWN for the chart through the pre-translation walk of a message loop.
    BOOL PressKey(WPARAM key);
};

// The tooltip's text as the chart gave it, without the colour and line end.
std::string TipLine(const ChartWnd& chart);
