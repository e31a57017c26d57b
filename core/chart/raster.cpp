#include "chart/raster.h"

#include <algorithm>

namespace {

// The common part of two rectangles (empty when right <= left or bottom <= top).
Rect Intersect(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect Shift(const Rect& r, Offset by) {
    // 64-bit sums clamped: a scene placed far outside the buffer must not wrap.
    const auto add = [](int32_t v, int32_t d) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + d, INT32_MIN, INT32_MAX));
    };
    return {add(r.left, by.x), add(r.top, by.y), add(r.right, by.x), add(r.bottom, by.y)};
}

void FillRect(PixelBuffer& buffer, const Rect& area, Colour colour) {
    if (IsEmpty(area)) return;
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::fill_n(&buffer.At(area.left, y), area.right - area.left, colour);
}

// The outline covers columns left and right - 1 and rows top and bottom - 1;
// the inside is what is left.
void FrameRect(PixelBuffer& buffer, const Rect& r, const Rect& clip, Colour outline, Colour fill) {
    FillRect(buffer, Intersect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, clip), fill);
    FillRect(buffer, Intersect({r.left, r.top, r.right, r.top + 1}, clip), outline);
    FillRect(buffer, Intersect({r.left, r.bottom - 1, r.right, r.bottom}, clip), outline);
    FillRect(buffer, Intersect({r.left, r.top, r.left + 1, r.bottom}, clip), outline);
    FillRect(buffer, Intersect({r.right - 1, r.top, r.right, r.bottom}, clip), outline);
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

void Replay(const Scene& scene, PixelBuffer& buffer, TextPainter* text, Offset origin) {
    const Rect clip = Intersect(Shift({0, 0, scene.Width(), scene.Height()}, origin), buffer.Bounds());
    if (IsEmpty(clip)) return;
    for (const ScenePrim& prim : scene.Prims()) {
        const Rect r = Shift(prim.rect, origin);
        switch (prim.kind) {
        case PrimKind::Fill:
            FillRect(buffer, Intersect(r, clip), prim.colour);
            break;
        case PrimKind::Frame:
            if (!IsEmpty(r)) FrameRect(buffer, r, clip, prim.colour, prim.fill);
            break;
        case PrimKind::Line:
            FillRect(buffer, Intersect(LineArea(r), clip), prim.colour);
            break;
        case PrimKind::Text: {
            const Rect textClip = Intersect(r, clip);
            if (text && !IsEmpty(textClip))
                text->DrawText(buffer, r, textClip, scene.TextOf(prim), prim.align, prim.colour, prim.font);
            break;
        }
        }
    }
}
