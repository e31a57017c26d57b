// One day's chart as pixels, the way the control shows it: both files go
// through the chart model's load (the control's acceptance rules), its scene
// is replayed, and a hover point adds the crosshair and the tooltip. Nothing
// here computes layout, scales or texts: the scene is the only input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/settings_table.h"
#include "render/freetype_text.h"
#include "chart/raster.h"

inline constexpr int32_t kMaxRenderSide = 4096;

struct RenderRequest {
    std::string code;
    int32_t width = 228;
    int32_t height = 190;
    ChartSettings settings;       // display properties; the size comes from width and height
    std::optional<Point> hover;   // client point under the mouse
};

struct RenderedChart {
    PixelBuffer pixels;
    std::vector<Rect> textRects;   // the rectangles of the chart's text primitives
    int32_t bars = 0;
};

// Why a request draws nothing, or nothing when it draws.
std::optional<std::string> CheckRequest(const RenderRequest& request);

// The chart, or why the files are refused: an info file not of 128 bytes or
// for another code, a data file that gives no bar. Throws only what
// allocation throws.
struct RenderOutcome {
    std::optional<RenderedChart> chart;
    std::string refusal;
};
RenderOutcome RenderChart(const RenderRequest& request, std::string_view infoBytes, std::string_view dataBytes,
                          FreeTypeText& text);
