#include "render/chart_render.h"

#include <algorithm>
#include <cstring>

#include "chart/chart_model.h"
#include "chart/korean_texts.h"
#include "data/file_readers.h"
#include "interact/tip_place.h"
#include "interact/tip_scene.h"
#include "interact/tip_segments.h"

namespace {

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

bool Contains(const Rect& r, Offset p) { return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom; }

// Why the readers gave nothing: the info record stays zero for a file of
// another length or for another code; a data file that passes gives at least
// the bar made from the info file.
std::string Refusal(const StockInfo& info, std::string_view infoBytes, std::string_view dataBytes,
                    std::string_view code) {
    // Files are read one byte past what is accepted, so a longer one shows as 129 bytes.
    if (infoBytes.size() > sizeof(StockInfo)) return "info file refused: more than 128 bytes";
    if (infoBytes.size() < sizeof(StockInfo))
        return "info file refused: " + std::to_string(infoBytes.size()) + " bytes, not 128";
    if (info.code[0] == '\0') {
        const std::string field(infoBytes.substr(offsetof(StockInfo, code), sizeof info.code).data(),
                                strnlen(infoBytes.data() + offsetof(StockInfo, code), sizeof info.code));
        return "info file refused: it is for code '" + field + "', not " + std::string(code);
    }
    if (dataBytes.size() > kMaxDataFileBytes) return "data file refused: larger than 16 MiB";
    if (dataBytes.size() < sizeof(TickRecord)) return "data file refused: no whole record";
    int32_t date = 0;
    std::memcpy(&date, dataBytes.data(), sizeof date);
    return "data file refused: its date " + std::to_string(date) + " does not go with the info date " +
           std::to_string(info.date);
}

// The crosshair and the tooltip as the control shows them with the mouse at
// `at`: both only over the pane frame, the tooltip only when switched on, its
// text the record's under the crosshair (the first text while no record was
// hit), placed beside the cursor with the image standing in for the screen and
// then kept inside the image.
void DrawHover(const ChartModel& model, Offset at, PixelBuffer& pixels, FreeTypeText& text) {
    if (!Contains(model.rcBox, at)) return;
    Scene overlay;
    overlay.Reset(pixels.width, pixels.height);
    model.BuildCrosshair(overlay, at.x, at.y);
    Replay(overlay, pixels, &text);
    if (model.settings.nIsToolTip != 1) return;

    const auto line = model.TipText(model.SnapToSlot(at.x).slot);
    const std::string segments = MakeTipSegment(line ? *line : std::string(kTipFirstText), 0);
    const TipColours colours{static_cast<Colour>(model.settings.crToolTipBackGround),
                             static_cast<Colour>(model.settings.crToolTipOutLine)};
    const int32_t width = BuildTipScene(overlay, segments, kTipHeight, colours,
                                        [&text](std::string_view s) { return text.Width(s); });
    const TipPlace place = PlaceTip(at.x, at.y, width, pixels.width);
    const int32_t left = std::clamp(place.left, 0, std::max(0, pixels.width - width));
    const int32_t top = std::clamp(place.top, 0, std::max(0, pixels.height - kTipHeight));
    Replay(overlay, pixels, &text, {left, top});
}

}  // namespace

std::optional<std::string> CheckRequest(const RenderRequest& request) {
    if (!IsValidStockCode(request.code)) return "code '" + request.code + "': use 1 to 32 ASCII letters and digits";
    if (request.width < 1 || request.height < 1 || request.width > kMaxRenderSide || request.height > kMaxRenderSide)
        return "size " + std::to_string(request.width) + "x" + std::to_string(request.height) +
               ": each side 1 to " + std::to_string(kMaxRenderSide);
    return std::nullopt;
}

RenderOutcome RenderChart(const RenderRequest& request, std::string_view infoBytes, std::string_view dataBytes,
                          FreeTypeText& text) {
    RenderOutcome outcome;
    if (auto fault = CheckRequest(request)) {
        outcome.refusal = *fault;
        return outcome;
    }
    ChartModel model;
    model.settings = request.settings;
    model.settings.nsizeMainX = request.width;
    model.settings.nsizeMainY = request.height;
    model.rcClient = {0, 0, request.width, request.height};
    StockInfo info{};
    LoadDay(model, request.code, Bytes(infoBytes), infoBytes.size(), Bytes(dataBytes), dataBytes.size(), info);
    if (info.code[0] == '\0' || model.series.Count() == 0) {
        outcome.refusal = Refusal(info, infoBytes, dataBytes, request.code);
        return outcome;
    }

    RenderedChart& chart = outcome.chart.emplace();
    chart.pixels = PixelBuffer(request.width, request.height);
    Replay(model.scene, chart.pixels, &text);
    for (const ScenePrim& prim : model.scene.Prims())
        if (prim.kind == PrimKind::Text) chart.textRects.push_back(prim.rect);
    chart.bars = model.series.Count();
    if (request.hover) DrawHover(model, *request.hover, chart.pixels, text);
    return outcome;
}
