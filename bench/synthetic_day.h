// The day both chart benchmarks draw: `bars` records `stepSeconds` apart from
// 09:00, prices wandering around 50,000, and the bar from the info file last.
#pragma once

#include <cstdint>

#include "chart/chart_model.h"

inline void AddSyntheticDay(ChartModel& chart, int bars, int stepSeconds) {
    for (int i = 0; i < bars; ++i) {
        const int s = i * stepSeconds;
        const int32_t time = (9 + s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
        const int32_t p = 50000 + (i * 37 % 400) - 200;
        chart.AddBar(time, p, p + 50, p - 50, p + (i % 3 - 1) * 20, 1000 + i * 13 % 5000);
    }
    chart.AddBar(20240315, 50000, 50300, 49700, 50100, 2000000);
}
