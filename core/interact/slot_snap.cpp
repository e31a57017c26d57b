#include "interact/slot_snap.h"

#include <algorithm>
#include <limits>

namespace {

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// ceil(d / w) for any sign of d and w > 0; C++ division truncates toward zero.
int64_t CeilDiv(int64_t d, int64_t w) {
    return d >= 0 ? (d + w - 1) / w : -((-d) / w);
}

}   // namespace

SlotSnap SnapColumnToSlot(int32_t boxLeft, int32_t x, int32_t slotWidth) {
    const int64_t w = std::max(slotWidth, 1);
    // 64-bit: the distance and the snapped column can leave the 32-bit range.
    const int64_t k = CeilDiv(static_cast<int64_t>(x) - boxLeft, w);
    return {ClampToInt32(boxLeft + w * k), ClampToInt32(k - 1)};
}

int32_t SlotColumn(int32_t boxLeft, int32_t slot, int32_t slotWidth) {
    const int64_t w = std::max(slotWidth, 1);
    return ClampToInt32(static_cast<int64_t>(boxLeft) + w * (static_cast<int64_t>(slot) + 1));
}
