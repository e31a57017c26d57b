#include "interact/tip_place.h"

#include <algorithm>
#include <limits>

namespace {

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}   // namespace

TipPlace PlaceTip(int32_t cursorX, int32_t cursorY, int32_t tipWidth, int32_t screenWidth) {
    const int64_t x = cursorX;
    const int64_t left = x + 310 > screenWidth ? x - 5 - tipWidth : x + 10;
    return {ClampToInt32(left), ClampToInt32(int64_t{cursorY} + 10)};
}
