#include "chart_picture.h"

#include <cstdio>

#include "activex/chart/chart_wnd.h"
#include "activex/framework/gdi.h"
#include "activex/support/png_writer.h"
#include "hover_capture.h"

namespace {

// The off-screen surface plus the background where the client is larger than it.
HRESULT WriteClientPng(const ChartWnd& chart, int width, int height, const std::string& path) {
    void* bits = nullptr;
    Bitmap picture(CreateTopDownDib32(nullptr, width, height, bits));
    MemoryDC dc(chart.dcMem.Get());
    if (!picture || !dc) return E_OUTOFMEMORY;
    SelectGuard guard(dc, picture);
    chart.CopySurface(dc);
    return WritePngFromDC(path, dc, width, height);
}

}   // namespace

HRESULT WriteChartPicture(ChartWnd& chart, const SnapshotOptions& options) {
    if (options.hover) return CaptureHover(chart, POINT{options.hoverX, options.hoverY}, options.outPath);
    return WriteClientPng(chart, options.width, options.height, options.outPath);
}

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}
