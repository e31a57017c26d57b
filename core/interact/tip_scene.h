// The tooltip's picture as a scene: its buffer filled in the background
// colour, the segments side by side from the left margin, vertically centred,
// and a 1-pixel outline around the window. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "chart/scene.h"

// Width in pixels of a code page 949 text in the tooltip's font; each
// front-end measures with its own text engine.
using TextWidthFn = std::function<int32_t(std::string_view cp949)>;

struct TipColours {
    Colour back = 0xFFFEDF;
    Colour outline = 0xFFA570;
};

inline constexpr int32_t kTipLeftMargin = 10;
inline constexpr int32_t kTipTextHeight = 10;   // the font's height less one
inline constexpr int32_t kTipHeight = 20;

// The 1-pixel outline around a width x height window.
void AddTipOutline(Scene& out, int32_t width, int32_t height, Colour colour);

// Builds the tooltip for its segments ("colour;text\r\n" each, see
// tip_segments.h) into `out`, sized width x height, where width is the text's
// width plus both margins. Returns that width.
int32_t BuildTipScene(Scene& out, std::string_view segments, int32_t height, const TipColours& colours,
                      const TextWidthFn& measure);
