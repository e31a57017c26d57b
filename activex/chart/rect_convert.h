// Conversions between the core's Rect and the system's RECT.
#pragma once

#include <windows.h>

#include "chart/chart_geometry.h"

inline Rect ToRect(const RECT& r) {
    return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
            static_cast<int32_t>(r.bottom)};
}

inline RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}
