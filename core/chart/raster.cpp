#include "chart/raster.h"

#include <algorithm>

namespace {

void FillRect(PixelBuffer& buffer, const Rect& area, Colour colour) {
    if (area.Empty()) return;
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::fill_n(&buffer.At(area.left, y), area.right - area.left, colour);
}

// The outline covers columns left and right - 1 and rows top and bottom - 1;
// the inside is what is left.
void FrameRect(PixelBuffer& buffer, const Rect& r, const Rect& clip, Colour outline, Colour fill) {
    FillRect(buffer, Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}.Intersect(clip), fill);
    FillRect(buffer, Rect{r.left, r.top, r.right, r.top + 1}.Intersect(clip), outline);
    FillRect(buffer, Rect{r.left, r.bottom - 1, r.right, r.bottom}.Intersect(clip), outline);
    FillRect(buffer, Rect{r.left, r.top, r.left + 1, r.bottom}.Intersect(clip), outline);
    FillRect(buffer, Rect{r.right - 1, r.top, r.right, r.bottom}.Intersect(clip), outline);
}

// Lines are stored forwards, horizontal or vertical: [left, right) on row top
// or [top, bottom) in column left.
Rect LineArea(const Rect& r) {
    if (r.top == r.bottom) return {r.left, r.top, r.right, r.top + 1};
    return {r.left, r.top, r.left + 1, r.bottom};
}

}  // namespace

PixelBuffer::PixelBuffer(int32_t w, int32_t h, Colour background)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * static_cast<size_t>(height), background) {}

void Replay(const Scene& scene, PixelBuffer& buffer, TextPainter* text, Point origin) {
    const Rect clip = Rect{0, 0, scene.Width(), scene.Height()}.Translated(origin).Intersect(buffer.Bounds());
    if (clip.Empty()) return;
    for (const ScenePrim& prim : scene.Prims()) {
        const Rect r = prim.rect.Translated(origin);
        switch (prim.kind) {
        case PrimKind::Fill:
            FillRect(buffer, r.Intersect(clip), prim.colour);
            break;
        case PrimKind::Frame:
            if (!r.Empty()) FrameRect(buffer, r, clip, prim.colour, prim.fill);
            break;
        case PrimKind::Line:
            FillRect(buffer, LineArea(r).Intersect(clip), prim.colour);
            break;
        case PrimKind::Text: {
            const Rect textClip = r.Intersect(clip);
            if (text && !textClip.Empty())
                text->DrawText(buffer, r, textClip, scene.TextOf(prim), prim.align, prim.colour, prim.font);
            break;
        }
        }
    }
}
