// Replays a scene into 32-bit pixels with the memory-DC semantics that
// chart/scene.h documents. Text goes to the caller (a TextPainter, or a
// front-end's own text step), so this file needs no font library and stays
// in the portable core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "chart/scene.h"

// Pixels as Windows colour references (0x00BBGGRR), rows top to bottom.
struct PixelBuffer {
    PixelBuffer() = default;
    PixelBuffer(int32_t width, int32_t height, Colour background = 0);

    Colour At(int32_t x, int32_t y) const { return pixels[Index(x, y)]; }
    Colour& At(int32_t x, int32_t y) { return pixels[Index(x, y)]; }
    Rect Bounds() const { return {0, 0, width, height}; }

    int32_t width = 0;
    int32_t height = 0;
    std::vector<Colour> pixels;

private:
    size_t Index(int32_t x, int32_t y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }
};

// 32-bit pixels that someone else owns (a PixelBuffer, a Windows DIB
// section): rows top to bottom, `stride` pixels apart. With `redHigh` a pixel
// is 0x00RRGGBB, as a DIB stores it, else a colour reference.
struct PixelView {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    size_t stride = 0;
    bool redHigh = false;

    Rect Bounds() const { return {0, 0, width, height}; }
};
PixelView ViewOf(PixelBuffer& buffer);

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Draws code page 949 text placed in `rect` by `align` (buffer pixels),
    // touching only pixels inside `clip`, which lies within the buffer.
    virtual void DrawText(PixelBuffer& buffer, const Rect& rect, const Rect& clip, std::string_view cp949,
                          TextAlign align, Colour colour, FontRole font) = 0;
};

// A text primitive's turn, in scene order: its rectangle moved by the origin
// and the part of it inside the scene's client area and the view (not empty).
using TextStep = std::function<void(const ScenePrim& prim, const Rect& rect, const Rect& clip)>;

// Replays fills, frames and lines into `view` with the scene's client origin
// at `origin`, and hands each text primitive to `text` in its place in the
// order. Nothing outside the scene's client area or the view changes.
void ReplayIntoView(const Scene& scene, const PixelView& view, Point origin, const TextStep& text);

// The same into a buffer. Without a painter text primitives are skipped.
void Replay(const Scene& scene, PixelBuffer& buffer, TextPainter* text, Point origin = {});
