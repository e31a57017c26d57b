#include "chart/scene.h"

#include <algorithm>

void Scene::Reset(int32_t w, int32_t h) {
    prims.clear();
    text.clear();
    width = std::max(w, 0);
    height = std::max(h, 0);
}

void Scene::ShrinkToFit() {
    prims.shrink_to_fit();
}

void Scene::AddFill(const Rect& rect, Colour colour) {
    if (!rect.Intersects(Client())) return;
    ScenePrim& p = prims.emplace_back();
    p.kind = PrimKind::Fill;
    p.rect = rect.Intersect(Client());
    p.colour = colour;
}

void Scene::AddFrame(const Rect& rect, Colour outline, Colour fill) {
    // An empty rectangle draws nothing (GDI draws nothing for it either).
    if (!rect.Intersects(Client())) return;
    ScenePrim& p = prims.emplace_back();
    p.kind = PrimKind::Frame;
    p.rect = rect;
    p.colour = outline;
    p.fill = fill;
}

void Scene::AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Colour colour) {
    // Only horizontal and vertical lines exist in the chart. A line covers
    // [from, to) in its direction of travel; it is stored forwards (a line
    // drawn right to left covers the same pixels as one drawn from x1 + 1 to
    // x0 + 1), clipped to the client area, in 64 bits so no end overflows.
    int64_t from, to;
    if (y0 == y1 && x0 != x1) {
        from = x0 < x1 ? x0 : int64_t{x1} + 1;
        to = x0 < x1 ? x1 : int64_t{x0} + 1;
        if (y0 < 0 || y0 >= height) return;
        from = std::max<int64_t>(from, 0);
        to = std::min<int64_t>(to, width);
    } else if (x0 == x1 && y0 != y1) {
        from = y0 < y1 ? y0 : int64_t{y1} + 1;
        to = y0 < y1 ? y1 : int64_t{y0} + 1;
        if (x0 < 0 || x0 >= width) return;
        from = std::max<int64_t>(from, 0);
        to = std::min<int64_t>(to, height);
    } else {
        return;
    }
    if (from >= to) return;
    ScenePrim& p = prims.emplace_back();
    p.kind = PrimKind::Line;
    p.colour = colour;
    const auto f = static_cast<int32_t>(from), t = static_cast<int32_t>(to);
    p.rect = y0 == y1 ? Rect{f, y0, t, y0} : Rect{x0, f, x0, t};
}

void Scene::AddText(const Rect& rect, std::string_view cp949, TextAlign align, Colour colour, FontRole font) {
    if (cp949.empty() || !rect.Intersects(Client())) return;
    ScenePrim& p = prims.emplace_back();
    p.kind = PrimKind::Text;
    p.rect = rect;
    p.colour = colour;
    p.align = align;
    p.font = font;
    p.textOffset = static_cast<uint32_t>(text.size());
    p.textLength = static_cast<uint32_t>(cp949.size());
    text.append(cp949);
}

std::string_view Scene::TextOf(const ScenePrim& prim) const {
    if (prim.kind != PrimKind::Text || prim.textOffset > text.size()) return {};
    return std::string_view(text).substr(prim.textOffset, prim.textLength);
}

uint64_t ShapePrint(const Scene& scene, std::vector<Colour>& colours) {
    colours.clear();
    uint64_t print = 0x9E3779B97F4A7C15ull;
    const auto mix = [&print](uint64_t v) {
        print = (print ^ v) * 0xBF58476D1CE4E5B9ull;
        print ^= print >> 31;
    };
    const auto slot = [&colours](Colour colour) -> uint64_t {
        const auto at = std::find(colours.begin(), colours.end(), colour);
        if (at != colours.end()) return static_cast<uint64_t>(at - colours.begin());
        colours.push_back(colour);
        return colours.size() - 1;
    };
    mix(static_cast<uint32_t>(scene.Width()) | uint64_t{static_cast<uint32_t>(scene.Height())} << 32);
    for (const ScenePrim& p : scene.Prims()) {
        mix(static_cast<uint32_t>(p.rect.left) | uint64_t{static_cast<uint32_t>(p.rect.top)} << 32);
        mix(static_cast<uint32_t>(p.rect.right) | uint64_t{static_cast<uint32_t>(p.rect.bottom)} << 32);
        mix(slot(p.colour));
        mix(p.kind == PrimKind::Frame ? slot(p.fill) : p.fill);
        mix(p.textOffset | uint64_t{p.textLength} << 32);
        mix(static_cast<uint64_t>(p.kind) | static_cast<uint64_t>(p.align) << 8 | static_cast<uint64_t>(p.font) << 16);
    }
    const std::string_view text = scene.Text();
    for (size_t i = 0; i < text.size(); i += 8) {
        uint64_t word = 0;
        for (size_t k = 0; k < 8 && i + k < text.size(); ++k)
            word |= uint64_t{static_cast<unsigned char>(text[i + k])} << 8 * k;
        mix(word);
    }
    mix(text.size());
    return print;
}
