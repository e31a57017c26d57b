// The picture a snapshot writes: the chart's client area as the window shows
// it, or, with --hover, the screen around the chart with crosshair and tooltip.
#pragma once

#include <windows.h>

#include <string>

#include "activex/framework/wnd.h"
#include "snapshot_options.h"

class ChartWnd;

// The invisible top-level window that holds the chart (or the loader) as a page would.
class SnapshotHost : public Wnd {};

HRESULT WriteChartPicture(ChartWnd& chart, const SnapshotOptions& options);

// "0x%08lX" text of an HRESULT, for messages.
std::string HresultText(HRESULT hr);
