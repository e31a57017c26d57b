// Snapping a column of the chart to the slot of the record under it.
// Portable: no Windows header.
#pragma once

#include <cstdint>

struct SlotSnap {
    int32_t x;      // the slot line's column
    int32_t slot;   // the slot index, -1 for the frame's left edge itself
};

// Slot k (from 0) has its line, the record's centre column, at left + w + wk
// for a slot width w (3 unless zoomed); the w columns up to and including that
// line belong to it.
SlotSnap SnapColumnToSlot(int32_t boxLeft, int32_t x, int32_t slotWidth = 3);

// The column of a slot's line: the inverse of the snap.
int32_t SlotColumn(int32_t boxLeft, int32_t slot, int32_t slotWidth = 3);
