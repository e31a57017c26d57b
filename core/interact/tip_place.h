// Where the hover timer puts the tooltip beside the cursor (screen
// coordinates). Portable: no Windows header.
#pragma once

#include <cstdint>

struct TipPlace {
    int32_t left;
    int32_t top;
};

// 10 pixels right of and below the cursor; within 310 pixels of the screen's
// right edge (a fixed allowance, not the tooltip's width) it flips to the
// cursor's left, its right edge 5 pixels left of the cursor.
TipPlace PlaceTip(int32_t cursorX, int32_t cursorY, int32_t tipWidth, int32_t screenWidth);
