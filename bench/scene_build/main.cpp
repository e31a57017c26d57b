// Prints the median and minimum time of one scene build (ChartModel::DrawChart)
// for the default chart with a one-minute day and for a full-HD chart with a
// one-second day. Numbers only; nothing here passes or fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "chart/chart_model.h"

namespace {

void Run(const char* name, int32_t width, int32_t height, int bars, int stepSeconds) {
    ChartModel chart;
    chart.rcClient = {0, 0, width, height};
    chart.ResetSeries();
    for (int i = 0; i < bars; ++i) {
        const int s = i * stepSeconds;
        const int32_t time = (9 + s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
        const int32_t p = 50000 + (i * 37 % 400) - 200;
        chart.AddBar(time, p, p + 50, p - 50, p + (i % 3 - 1) * 20, 1000 + i * 13 % 5000);
    }
    chart.AddBar(20240315, 50000, 50300, 49700, 50100, 2000000);
    chart.DrawChart(false);   // warm up: the scene's storage is kept from here on

    std::vector<double> times;
    for (int i = 0; i < 2000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        chart.DrawChart(false);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: %dx%d, %d bars, %zu primitives\n  scene build  median %8.2f us   min %8.2f us\n",
                name, width, height, chart.series.Count(), chart.scene.Prims().size(),
                times[times.size() / 2], times.front());
}

}  // namespace

int main() {
    Run("default chart, one-minute day", 228, 190, 391, 60);
    Run("full HD chart, one-second day", 1920, 1080, 23400, 1);
    return 0;
}
