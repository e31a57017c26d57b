// Replays a scene into a 32-bit pixel buffer with the memory-DC semantics that
// chart/scene.h documents. Text goes through a TextPainter, so this file needs
// no font library and stays in the portable core.
#pragma once

#include <cstdint>
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

class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Draws code page 949 text placed in `rect` by `align` (buffer pixels),
    // touching only pixels inside `clip`, which lies within the buffer.
    virtual void DrawText(PixelBuffer& buffer, const Rect& rect, const Rect& clip,
                          std::string_view cp949, TextAlign align, Colour colour, FontRole font) = 0;
};

// Replays the scene with its client origin at `origin` in the buffer. Nothing
// outside the scene's client area or the buffer changes. Without a painter
// text primitives are skipped.
void Replay(const Scene& scene, PixelBuffer& buffer, TextPainter* text, Point origin = {});
