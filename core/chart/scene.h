// The chart as data: the ordered drawing primitives of one redraw, in client
// pixels. The core decides what is drawn; a front-end (GDI, the PNG renderer,
// the browser canvas) replays the primitives in order and decides only how.
// Portable: no Windows header.
//
// Semantics every replay keeps (they are GDI's on a memory DC):
//   Fill   rect filled with `colour`; right and bottom edges excluded.
//   Frame  a 1-pixel outline in `colour` on the rect's inner edge (columns
//          left and right-1, rows top and bottom-1) and the inside in `fill`.
//   Line   1 pixel wide in `colour` from (rect.left, rect.top) to
//          (rect.right, rect.bottom), the end point excluded; always
//          horizontal or vertical and stored forwards (left < right or
//          top < bottom), so it covers [left, right) or [top, bottom).
//   Text   code page 949 bytes in `colour` with the font of `font`, placed in
//          rect by `align` and clipped to rect; transparent background.
// Everything is clipped to the client area 0..width x 0..height. The builder
// drops primitives that lie wholly outside it and clips fills and lines to it
// (which changes no pixel), so every coordinate a replay sees is sane.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_geometry.h"

// A Windows colour reference, 0x00BBGGRR: red in the low byte.
using Colour = uint32_t;

enum class PrimKind : uint8_t { Fill, Frame, Line, Text };

enum class TextAlign : uint8_t {
    Center,           // each line centred horizontally, from the top (DT_CENTER)
    LeftSingleLine,   // one line from the left and the top (DT_SINGLELINE | DT_LEFT | DT_TOP)
};

// Both roles are the face "굴림체" (Nanum Gothic Coding where it is replaced),
// 11 pixels high, Hangul character set; the tooltip keeps its own font object.
enum class FontRole : uint8_t { Chart, Tip };
inline constexpr int32_t kChartFontHeight = 11;   // pixels, both roles

struct ScenePrim {
    Rect rect;
    Colour colour = 0;         // fill, outline, line or text colour
    Colour fill = 0;           // Frame: the inside
    uint32_t textOffset = 0;   // Text: the bytes in Scene::Text
    uint32_t textLength = 0;
    PrimKind kind = PrimKind::Fill;
    TextAlign align = TextAlign::Center;
    FontRole font = FontRole::Chart;
};

class Scene {
public:
    // Starts a new scene for a client area; keeps the storage for the next pass.
    void Reset(int32_t width, int32_t height);
    // Gives back the primitives' room the last pass left unused: a page keeps many charts.
    void ShrinkToFit();

    void AddFill(const Rect& rect, Colour colour);
    void AddFrame(const Rect& rect, Colour outline, Colour fill);
    void AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Colour colour);
    void AddText(const Rect& rect, std::string_view cp949, TextAlign align, Colour colour,
                 FontRole font = FontRole::Chart);

    std::span<const ScenePrim> Prims() const { return prims; }
    std::string_view TextOf(const ScenePrim& prim) const;
    std::string_view Text() const { return text; }   // every text's bytes, by textOffset
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

private:
    Rect Client() const { return {0, 0, width, height}; }

    std::vector<ScenePrim> prims;
    std::string text;
    int32_t width = 0;
    int32_t height = 0;
};

// A scene's shape: everything but which colour each colour slot holds. The
// slots are the outline, line and text colours and a frame's inside, in order
// of first use; `colours` receives them. Two scenes with one print differ at
// most in those colours (a 64-bit print: equal shapes give equal prints, and
// different ones practically never do), so a replay planned for one serves
// the other.
uint64_t ShapePrint(const Scene& scene, std::vector<Colour>& colours);
