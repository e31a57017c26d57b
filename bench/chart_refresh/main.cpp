// Prints the median and minimum time of one RefreshChart(false) and of one
// paint copy for the default chart with a one-minute day and for a full-HD
// chart with a one-second day. Numbers only; nothing here passes or fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/synthetic_day.h"
#include "activex/chart/chart_wnd.h"
#include "chart/raster.h"

namespace {

class HostWnd : public Wnd {};

double Microseconds(const std::function<void()>& work) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart;
}

void Report(const char* what, int runs, const std::function<void()>& work) {
    work();   // warm up
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(Microseconds(work));
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %9.1f us   min %9.1f us   (%d runs)\n", what, times[times.size() / 2], times.front(),
                runs);
}

void Run(const char* name, int width, int height, int bars, int stepSeconds) {
    HostWnd host;
    ChartWnd chart;
    chart.Model().settings.nIsToolTip = 0;
    host.CreateEx(0, nullptr, "bench", WS_POPUP, 0, 0, width, height, nullptr, nullptr);
    chart.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, width, height}, host, 5000);
    chart.ResetSeries();
    AddSyntheticDay(chart.Model(), bars, stepSeconds);
    std::printf("%s: %dx%d, %d bars, %d slots\n", name, width, height, chart.Model().series.Count(),
                chart.Model().nViewCount);
    Report("  RefreshChart(false)", 500, [&] { chart.RefreshChart(FALSE); });
    // Where the time goes: the scene, its replay into dcMem, the invalidation.
    Report("    scene build (ChartModel::DrawChart)", 500, [&] { chart.Model().DrawChart(false); });
    Report("    replay into dcMem", 500, [&] { chart.ReplayIntoSurface(); });
    if (uint32_t* bits = chart.dcMem.Bits()) {
        const SIZE size = chart.dcMem.Size();
        const PixelView view{bits, size.cx, size.cy, static_cast<size_t>(size.cx), true};
        Report("      of which fills, frames and lines", 500,
               [&] { ReplayIntoView(chart.Model().scene, view, {}, {}); });
    }
    Report("    InvalidateRect(client)", 500, [&] { InvalidateRect(chart, nullptr, TRUE); });
    const auto prims = chart.Model().scene.Prims();
    std::printf("    %zu primitives, %zu texts\n", prims.size(),
                static_cast<size_t>(std::count_if(prims.begin(), prims.end(),
                                                  [](const ScenePrim& p) { return p.kind == PrimKind::Text; })));

    // The paint copy: the same client-sized block copy OnPaint does, into a
    // surface of the window's format.
    HDC screen = GetDC(nullptr);
    MemoryDC target(screen);
    Bitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    SelectGuard guard(target, bitmap);
    Report("  paint copy (CopySurface)", 500, [&] { chart.CopySurface(target); });
}

}   // namespace

int main() {
    std::printf("screen %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    Run("default chart, one-minute day", 228, 190, 391, 60);
    Run("full HD chart, one-second day", 1920, 1080, 23400, 1);
    return 0;
}
