#include "render/chart_render.h"

#include <algorithm>
#include <cstring>

#include "data/file_readers.h"
#include "interact/chart_session.h"

namespace {

const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// The crosshair and the tooltip as the control shows them with the mouse at
// `at` (the core decides both); the image stands in for the screen, and
// the tooltip is then kept inside it.
void DrawHover(ChartSession& core, Point at, PixelBuffer& pixels, FreeTypeText& text) {
    if (!core.PointerMove(at.x, at.y)) return;
    Replay(core.CrosshairScene(), pixels, &text);
    if (!core.ShowsTip(at.x, at.y)) return;
    const Scene& tip = core.TipScene();
    const TipPlace place = core.TipPlacement(at.x, at.y, pixels.width);
    const int32_t left = std::clamp(place.left, 0, std::max(0, pixels.width - tip.Width()));
    const int32_t top = std::clamp(place.top, 0, std::max(0, pixels.height - tip.Height()));
    Replay(tip, pixels, &text, {left, top});
}

}   // namespace

std::optional<std::string> CheckRequest(const RenderRequest& request) {
    if (!IsValidStockCode(request.code)) return "code '" + request.code + "': use 1 to 32 ASCII letters and digits";
    if (request.width < 1 || request.height < 1 || request.width > kMaxRenderSide || request.height > kMaxRenderSide)
        return "size " + std::to_string(request.width) + "x" + std::to_string(request.height) + ": each side 1 to " +
               std::to_string(kMaxRenderSide);
    return std::nullopt;
}

RenderOutcome RenderChart(const RenderRequest& request, std::string_view infoBytes, std::string_view dataBytes,
                          FreeTypeText& text) {
    RenderOutcome outcome;
    if (auto fault = CheckRequest(request)) {
        outcome.refusal = *fault;
        return outcome;
    }
    ChartSession core([&text](std::string_view s) { return text.Width(s); });
    core.Settings() = request.settings;
    core.Settings().strCode = request.code;
    core.SetSize(request.width, request.height);
    const LoadVerdict& verdict =
        core.Load({Bytes(infoBytes), infoBytes.size(), true, {}}, {Bytes(dataBytes), dataBytes.size(), true, {}});
    if (!verdict.Accepted()) {
        outcome.refusal = verdict.Reason();
        return outcome;
    }

    RenderedChart& chart = outcome.chart.emplace();
    chart.pixels = PixelBuffer(request.width, request.height);
    const Scene& scene = core.ChartScene();
    Replay(scene, chart.pixels, &text);
    for (const ScenePrim& prim : scene.Prims())
        if (prim.kind == PrimKind::Text) chart.textRects.push_back(prim.rect);
    chart.bars = core.Model().series.Count();
    if (request.hover) DrawHover(core, *request.hover, chart.pixels, text);
    return outcome;
}
