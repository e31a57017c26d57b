// The load sequence: runs inside the loader window's creation and blocks its
// caller until both files are fetched (or have failed), read and drawn.
#include "activex/chart/data_loader_wnd.h"

#include <vector>

#include "data/day_source.h"
#include "data/file_readers.h"
#include "activex/framework/app_name.h"
#include "activex/framework/file.h"

namespace {

// %TEMP% expanded into a buffer as large as the expansion needs.
std::string ExpandTempDir() {
    const char source[] = "%TEMP%";
    DWORD need = ExpandEnvironmentStringsA(source, nullptr, 0);
    std::string text(need > 0 ? need : 1, '\0');
    DWORD got = ExpandEnvironmentStringsA(source, text.data(), static_cast<DWORD>(text.size()));
    if (got == 0 || got > text.size()) return source;
    text.resize(lstrlenA(text.c_str()));
    return text;
}

}   // namespace

DataLoaderWnd::DataLoaderWnd() : strTempDir(ExpandTempDir()) {}

LRESULT DataLoaderWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return Wnd::WindowProc(msg, wParam, lParam);
    }
}

int DataLoaderWnd::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;
    RECT rcClient{};
    GetClientRect(m_hWnd, &rcClient);
    chart.Create(nullptr, "chart made by nib", WS_CHILD, rcClient, m_hWnd, kChartId);
    ShowWindow(chart, SW_SHOWNORMAL);
    chart.ResetSeries();

    // A loader created on its own starts its downloads only now.
    if (!fetch.Started()) StartFetch();
    // The code becomes a file name and a URL path: anything but letters and
    // digits fails here, as an unreachable server would, touching nothing.
    if (!fetch.Started()) return FailLoad();
    ChartSession& core = chart.core;
    core.BeginLoad(strCode, core.Info());

    DayFetch::Files files = fetch.Finish();
    if (!Arrived(files.info)) return -1;
    core.AcceptInfo(files.info.bytes.data(), files.info.bytes.size());
    files.info = {};
    if (!Arrived(files.data)) return -1;
    core.AcceptData(files.data.bytes.data(), files.data.bytes.size());
    files.data = {};
    chart.RefreshChart(FALSE);
    return 0;
}

void DataLoaderWnd::StartFetch() {
    if (strCode.empty()) strCode = kDefaultCode;
    const DayRequest request = RequestDay(strCode, strChartUrl, false);
    if (request.Made()) fetch.Start(request.infoUrl, request.dataUrl, strTempDir, strCode, limits);
}

std::string DataLoaderWnd::DownloadFile(const std::string& url, const std::string& path) {
    return DownloadToFile(url, path, limits, internetRoot).Text();
}

bool DataLoaderWnd::Arrived(const DayFetch::File& file) {
    // A failed download shows the failure message; a file that cannot be read
    // again ends the load without one.
    if (file.outcome == DayFetch::Outcome::Failed) FailLoad();
    return file.outcome == DayFetch::Outcome::Read;
}

int DataLoaderWnd::FailLoad() {
    MessageBoxA(nullptr, kLoadFailedText, AppName().c_str(), MB_OK | MB_SYSTEMMODAL);
    return -1;
}

void DataLoaderWnd::OnDestroy() {
    chart.DestroyWindow();
    Default();
}
