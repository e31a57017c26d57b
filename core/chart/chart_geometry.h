// Pane layout of the chart window: pure arithmetic on client rectangles.
// Portable: no Windows header.
#pragma once

#include <cstdint>

// A point, or an offset, in pixels.
struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left, top, right, bottom in client pixels; right and bottom exclusive.
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;

    // No pixel: right <= left or bottom <= top.
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int32_t x, int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool Contains(Point p) const { return Contains(p.x, p.y); }
    // The pixels both hold (Empty() when none).
    Rect Intersect(const Rect& other) const;
    bool Intersects(const Rect& other) const { return !Intersect(other).Empty(); }
    // Moved by `by`; each coordinate clamped to 32 bits, so a far move never wraps.
    Rect Translated(Point by) const;
};

struct PaneLayout {
    Rect value;              // price pane (rcValue)
    Rect volume;             // volume pane (rcVolume)
    Rect scrollStrip;        // where the hidden scroll bar sits, under the volume pane
    Rect box;                // frame around both panes (rcBox)
    int32_t boxWidth = 0;    // box width rounded down to a multiple of the slot width
    int32_t viewCount = 0;   // bar slots, slotWidth pixels each
};

struct LayoutSettings {
    int32_t gapX = 5;
    int32_t gapY = 4;
    int32_t isCurrentBar = 1;   // not 0: the strip's height stays free at the top
    int32_t currentBarHeight = 19;
    int32_t slotWidth = 3;   // pixels per record, at least 1
};

// Width of the label column right of both panes and the margin under the volume pane.
inline constexpr int32_t kLabelColumn = 43;
inline constexpr int32_t kBottomMargin = 18;

// Gaps come from properties and may be anything: the sums are formed in 64 bits
// and clamped, so no rectangle coordinate overflows.
PaneLayout ComputePaneLayout(const Rect& client, const LayoutSettings& settings);

// Index of the first record shown after a layout that resets the scroll
// position: the newest record ends up in the last slot but one.
int32_t ScrollStartIndex(int32_t recordCount, int32_t viewCount);

// The parts of the client area that an off-screen bitmap of bitmapWidth x
// bitmapHeight does not cover (at most two rectangles: right band, bottom band).
struct ExcessArea {
    Rect rects[2];
    int count = 0;
};
ExcessArea UncoveredArea(const Rect& client, int32_t bitmapWidth, int32_t bitmapHeight);
