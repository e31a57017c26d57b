#include "interact/slot_snap.h"

#include <algorithm>
#include <limits>

namespace {

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// ceil(d / 3) for any sign; C++ division truncates toward zero.
int64_t CeilThird(int64_t d) {
    return d >= 0 ? (d + 2) / 3 : -((-d) / 3);
}

}  // namespace

SlotSnap SnapColumnToSlot(int32_t boxLeft, int32_t x) {
    // 64-bit: the distance and the snapped column can leave the 32-bit range.
    const int64_t k = CeilThird(static_cast<int64_t>(x) - boxLeft);
    return {ClampToInt32(boxLeft + 3 * k), ClampToInt32(k - 1)};
}

int32_t SlotColumn(int32_t boxLeft, int32_t slot) {
    return ClampToInt32(static_cast<int64_t>(boxLeft) + 3 * (static_cast<int64_t>(slot) + 1));
}
