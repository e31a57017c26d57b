// Snapshot with the mouse over the chart: the chart shown on the screen, the
// cursor at a client point, and the screen captured once the tooltip is up.
#pragma once

#include <windows.h>

#include <string>

class ChartWnd;

// Shows the chart's top-level window, puts the cursor at `client` (chart
// client coordinates), runs messages until the hover timer has shown the
// tooltip, then writes a PNG of the screen area that covers the chart and
// the tooltip. The picture's origin is the chart's client origin. COM must
// be initialised. Fails with E_FAIL when the tooltip never appears (no
// tooltip window, or the point lies outside the chart's frame).
HRESULT CaptureHover(ChartWnd& chart, POINT client, const std::string& path);

// Parses "X,Y" (decimal, optional sign); false for anything else.
bool ParseHoverPoint(const char* text, POINT& point);
