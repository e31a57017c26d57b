#include "load_from_host.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "chart_picture.h"
#include "chart_settings.h"
#include "activex/chart/data_loader_wnd.h"
#include "activex/support/message_box_watcher.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "sivarta-snapshot: %s\n", message.c_str());
    return 1;
}

}   // namespace

int SnapshotFromHost(const SnapshotOptions& options) {
    DataLoaderWnd loader;
    std::string error;
    for (const auto& [name, value] : options.props)
        if (!ApplyProperty(loader.chart, name, value, error)) return Fail(error);
    loader.strCode = options.code;
    loader.strChartUrl = options.host;

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return Fail("COM start failed");
    SnapshotHost host;
    if (!host.CreateEx(0, nullptr, "sivarta-snapshot", WS_POPUP, 0, 0, options.width, options.height, nullptr, nullptr))
        return Fail("cannot create the host window");

    BOOL loaded;
    {
        // Nobody is there to press OK: the boxes are closed and reported.
        MessageBoxWatcher watcher;
        loaded = loader.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, options.width, options.height}, host, 0);
        for (const MessageBoxWatcher::Box& box : watcher.Boxes())
            std::fprintf(stderr, "message: %s\n", box.text.c_str());
    }
    HRESULT hr = loaded ? WriteChartPicture(loader.chart, options) : E_FAIL;
    int bars = loader.chart.Model().series.Count();
    loader.DestroyWindow();
    host.DestroyWindow();
    CoUninitialize();
    if (!loaded) return Fail("the load from " + options.host + " failed");
    if (FAILED(hr)) return Fail("cannot write " + options.outPath);
    std::printf("%s: %dx%d, %d bars\n", options.outPath.c_str(), options.width, options.height, bars);
    return 0;
}
