// Prints the median and minimum time of one scene build (ChartModel::DrawChart)
// for the default chart with a one-minute day and for a full-HD chart with a
// one-second day. Numbers only; nothing here passes or fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/synthetic_day.h"
#include "chart/chart_model.h"

namespace {

void Run(const char* name, int32_t width, int32_t height, int bars, int stepSeconds) {
    ChartModel chart;
    chart.rcClient = {0, 0, width, height};
    chart.ResetSeries();
    AddSyntheticDay(chart, bars, stepSeconds);
    chart.DrawChart(false);   // warm up: the scene's storage is kept from here on

    std::vector<double> times;
    for (int i = 0; i < 2000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        chart.DrawChart(false);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: %dx%d, %d bars, %zu primitives\n  scene build  median %8.2f us   min %8.2f us\n", name, width,
                height, chart.series.Count(), chart.scene.Prims().size(), times[times.size() / 2], times.front());
}

}   // namespace

int main() {
    Run("default chart, one-minute day", 228, 190, 391, 60);
    Run("full HD chart, one-second day", 1920, 1080, 23400, 1);
    return 0;
}
