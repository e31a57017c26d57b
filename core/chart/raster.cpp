#include "chart/raster.h"

#include <algorithm>

namespace {

// Only fills this large look for what covers them, and only this large ones
// cover: the background and the panes, not the thousands of bars.
constexpr int64_t kLargeFill = 64 * 64;

bool IsLarge(const Rect& r) {
    // Each side capped before the product: a rectangle may span all of int32.
    const int64_t w = std::min(int64_t{r.right} - r.left, kLargeFill);
    const int64_t h = std::min(int64_t{r.bottom} - r.top, kLargeFill);
    return w > 0 && h > 0 && w * h >= kLargeFill;
}

uint32_t Stored(const PixelView& view, Colour colour) {
    if (!view.redHigh) return colour;
    return (colour & 0x00FF00u) | (colour & 0xFFu) << 16 | (colour >> 16 & 0xFFu);
}

void FillRect(const PixelView& view, const Rect& area, Colour colour) {
    if (area.Empty()) return;
    const uint32_t value = Stored(view, colour);
    uint32_t* row = view.pixels + static_cast<size_t>(area.top) * view.stride + static_cast<size_t>(area.left);
    for (int32_t y = area.top; y < area.bottom; ++y, row += view.stride)
        std::fill_n(row, area.right - area.left, value);
}

// What of a large fill stays visible: the parts that no later fill or frame
// (each opaque over its whole rectangle) covers. Writing only those leaves
// the same pixels and spares a full-screen chart most of its background.
class VisibleParts {
public:
    explicit VisibleParts(const Rect& area) { parts[count++] = area; }

    void Cover(const Rect& cover) {
        Rect next[kMax];
        int n = 0;
        for (int i = 0; i < count; ++i) {
            const Rect& p = parts[i];
            const Rect hit = p.Intersect(cover);
            if (hit.Empty()) {
                if (n == kMax) return;   // too many pieces: keep what there is
                next[n++] = p;
                continue;
            }
            // Above, below, left and right of the covered part.
            const Rect pieces[4] = {{p.left, p.top, p.right, hit.top},
                                    {p.left, hit.bottom, p.right, p.bottom},
                                    {p.left, hit.top, hit.left, hit.bottom},
                                    {hit.right, hit.top, p.right, hit.bottom}};
            for (const Rect& piece : pieces) {
                if (piece.Empty()) continue;
                if (n == kMax) return;
                next[n++] = piece;
            }
        }
        std::copy(next, next + n, parts);
        count = n;
    }

    void Fill(const PixelView& view, Colour colour) const {
        for (int i = 0; i < count; ++i) FillRect(view, parts[i], colour);
    }

private:
    static constexpr int kMax = 16;
    Rect parts[kMax];
    int count = 0;
};

void FillVisible(const PixelView& view, const Rect& area, Colour colour, std::span<const ScenePrim> later,
                 Point origin) {
    if (!IsLarge(area)) return FillRect(view, area, colour);
    VisibleParts visible(area);
    for (const ScenePrim& p : later)
        if ((p.kind == PrimKind::Fill || p.kind == PrimKind::Frame) && IsLarge(p.rect))
            visible.Cover(p.rect.Translated(origin));
    visible.Fill(view, colour);
}

// The outline covers columns left and right - 1 and rows top and bottom - 1;
// the inside is what is left.
void FrameRect(const PixelView& view, const Rect& r, const Rect& clip, Colour outline, Colour fill,
               std::span<const ScenePrim> later, Point origin) {
    FillVisible(view, Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}.Intersect(clip), fill, later, origin);
    FillRect(view, Rect{r.left, r.top, r.right, r.top + 1}.Intersect(clip), outline);
    FillRect(view, Rect{r.left, r.bottom - 1, r.right, r.bottom}.Intersect(clip), outline);
    FillRect(view, Rect{r.left, r.top, r.left + 1, r.bottom}.Intersect(clip), outline);
    FillRect(view, Rect{r.right - 1, r.top, r.right, r.bottom}.Intersect(clip), outline);
}

// Lines are stored forwards, horizontal or vertical: [left, right) on row top
// or [top, bottom) in column left.
Rect LineArea(const Rect& r) {
    if (r.top == r.bottom) return {r.left, r.top, r.right, r.top + 1};
    return {r.left, r.top, r.left + 1, r.bottom};
}

}   // namespace

PixelBuffer::PixelBuffer(int32_t w, int32_t h, Colour background)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * static_cast<size_t>(height), background) {}

PixelView ViewOf(PixelBuffer& buffer) {
    return {buffer.pixels.data(), buffer.width, buffer.height, static_cast<size_t>(buffer.width), false};
}

void ReplayIntoView(const Scene& scene, const PixelView& view, Point origin, const TextStep& text) {
    const Rect clip = Rect{0, 0, scene.Width(), scene.Height()}.Translated(origin).Intersect(view.Bounds());
    if (clip.Empty() || !view.pixels) return;
    const std::span<const ScenePrim> prims = scene.Prims();
    for (size_t i = 0; i < prims.size(); ++i) {
        const ScenePrim& prim = prims[i];
        const Rect r = prim.rect.Translated(origin);
        switch (prim.kind) {
        case PrimKind::Fill:
            FillVisible(view, r.Intersect(clip), prim.colour, prims.subspan(i + 1), origin);
            break;
        case PrimKind::Frame:
            if (!r.Empty()) FrameRect(view, r, clip, prim.colour, prim.fill, prims.subspan(i + 1), origin);
            break;
        case PrimKind::Line:
            FillRect(view, LineArea(r).Intersect(clip), prim.colour);
            break;
        case PrimKind::Text: {
            const Rect textClip = r.Intersect(clip);
            if (text && !textClip.Empty()) text(prim, r, textClip);
            break;
        }
        }
    }
}

void Replay(const Scene& scene, PixelBuffer& buffer, TextPainter* text, Point origin) {
    TextStep step;
    if (text)
        step = [&](const ScenePrim& prim, const Rect& rect, const Rect& clip) {
            text->DrawText(buffer, rect, clip, scene.TextOf(prim), prim.align, prim.colour, prim.font);
        };
    ReplayIntoView(scene, ViewOf(buffer), origin, step);
}
