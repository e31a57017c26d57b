// sivarta-snapshot: draws one day of data with the chart window at a given
// size and writes the picture as PNG.
//   sivarta-snapshot --info FILE --data FILE [--code CODE] --size WxH --out FILE.png
//                    [--prop NAME=VALUE ...]
//   sivarta-snapshot --host HOST[:PORT] [--code CODE] --size WxH --out FILE.png [--prop ...]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart/chart_wnd.h"
#include "chart_settings.h"
#include "data/file_readers.h"
#include "framework/gdi.h"
#include "framework/png_writer.h"
#include "load_from_host.h"
#include "snapshot_options.h"

namespace {

class HostWnd : public Wnd {};

// Reads at most `limit` + 1 bytes, so an oversized file is seen as such.
bool ReadFileBytes(const std::string& path, size_t limit, std::vector<unsigned char>& out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    out.resize(limit + 1);
    out.resize(std::fread(out.data(), 1, out.size(), file));
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// The client area as the window shows it: the off-screen surface plus the
// background where the client is larger than the surface.
HRESULT WriteClientPng(const ChartWnd& chart, int width, int height, const std::string& path) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bitmap picture(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC dc(chart.dcMem.Get());
    if (!picture || !dc) return E_OUTOFMEMORY;
    SelectGuard guard(dc, picture);
    chart.CopySurface(dc);
    return WritePngFromDC(path, dc, width, height);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "sivarta-snapshot: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    SnapshotOptions options;
    std::string error;
    if (!ParseSnapshotOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "sivarta-snapshot: %s\n%s", error.c_str(), SnapshotUsage());
        return 2;
    }
    if (!options.host.empty()) return SnapshotFromHost(options);
    std::vector<unsigned char> info, data;
    if (!ReadFileBytes(options.infoPath, sizeof(StockInfo), info))
        return Fail("cannot read info file " + options.infoPath);
    if (!ReadFileBytes(options.dataPath, kMaxDataFileBytes, data))
        return Fail("cannot read data file " + options.dataPath);

    HostWnd host;
    ChartWnd chart;
    ApplyControlDefaults(chart);
    for (const auto& [name, value] : options.props)
        if (!ApplyProperty(chart, name, value, error)) return Fail(error);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail("COM start failed");
    const RECT rect{0, 0, options.width, options.height};
    if (!host.CreateEx(0, nullptr, "sivarta-snapshot", WS_POPUP, 0, 0, options.width,
                       options.height, nullptr, nullptr) ||
        !chart.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, host, 5000))
        return Fail("cannot create the chart window");

    // The load sequence: reset, the info file's rules, the data file's bars, redraw.
    chart.ResetSeries();
    StockInfo stock{};
    AcceptInfoFile(info.data(), info.size(), options.code, stock);
    ReadDataFile(data.data(), data.size(), stock,
                 [&chart](int32_t time, int32_t open, int32_t high, int32_t low, int32_t close,
                          int32_t volume) { chart.AddBar(time, open, high, low, close, volume); });
    chart.RefreshChart(FALSE);

    const HRESULT hr = WriteClientPng(chart, options.width, options.height, options.outPath);
    chart.DestroyWindow();
    host.DestroyWindow();
    CoUninitialize();
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        return Fail("cannot write " + options.outPath + " (" + code + ")");
    }
    std::printf("%s: %dx%d, %d bars\n", options.outPath.c_str(), options.width, options.height,
                chart.series.Count());
    return 0;
}
