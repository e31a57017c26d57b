// sivarta-snapshot: draws one day of data with the chart window at a given
// size and writes the picture as PNG.
//   sivarta-snapshot --info FILE --data FILE [--code CODE] --size WxH --out FILE.png
//                    [--prop NAME=VALUE ...]
//   sivarta-snapshot --host HOST[:PORT] [--code CODE] --size WxH --out FILE.png [--prop ...]
//   either form with --hover X,Y: the screen around the chart with crosshair and tooltip
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "activex/chart/chart_wnd.h"
#include "chart_settings.h"
#include "data/file_readers.h"
#include "chart_picture.h"
#include "load_from_host.h"
#include "snapshot_options.h"

namespace {

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

int Fail(const std::string& message) {
    std::fprintf(stderr, "sivarta-snapshot: %s\n", message.c_str());
    return 1;
}

}   // namespace

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

    SnapshotHost host;
    ChartWnd chart;
    for (const auto& [name, value] : options.props)
        if (!ApplyProperty(chart, name, value, error)) return Fail(error);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail("COM start failed");
    const RECT rect{0, 0, options.width, options.height};
    if (!host.CreateEx(0, nullptr, "sivarta-snapshot", WS_POPUP, 0, 0, options.width, options.height, nullptr,
                       nullptr) ||
        !chart.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, host, 5000))
        return Fail("cannot create the chart window");

    // The load sequence: reset, the info file's rules, the data file's bars, redraw.
    chart.ResetSeries();
    StockInfo stock{};
    AcceptInfoFile(info.data(), info.size(), options.code, stock);
    ReadDataFile(data.data(), data.size(), stock,
                 [&chart](int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
                     chart.Model().AddBar(time, open, high, low, close, volume);
                 });
    chart.RefreshChart(FALSE);

    const HRESULT hr = WriteChartPicture(chart, options);
    chart.DestroyWindow();
    host.DestroyWindow();
    CoUninitialize();
    if (FAILED(hr)) return Fail("cannot write " + options.outPath + " (" + HresultText(hr) + ")");
    std::printf("%s: %dx%d, %d bars\n", options.outPath.c_str(), options.width, options.height,
                chart.Model().series.Count());
    return 0;
}
