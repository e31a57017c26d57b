// The load sequence: runs inside the loader window's creation and blocks its
// caller until both files are fetched (or have failed), read and drawn.
#include "activex/chart/data_loader_wnd.h"

#include <atomic>
#include <cstdio>
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

// Reads the whole file (nothing when it is larger than any accepted file) and
// deletes it. False when it cannot be opened.
bool ReadAndDelete(const std::string& path, std::vector<unsigned char>& bytes) {
    FileHandle file(OpenFileForRead(path));
    if (!file.IsOpen()) return false;
    LARGE_INTEGER size{};
    bytes.clear();
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        static_cast<uint64_t>(size.QuadPart) <= kMaxDataFileBytes) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
        bytes.resize(got);
    }
    file.Close();
    DeleteFileAnyLength(path);
    return true;
}

// A file of its own in the temporary folder for each download, created
// exclusively: CODE.<process>.<n>.dat. Two charts of one code, in this process
// or another, never share or clobber a file. Empty when none can be made
// (the download then fails on the file like any other).
std::string CreatePrivateFile(const std::string& dir, const std::string& code) {
    static std::atomic<unsigned long> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, "\\%s.%lu.%lu.dat", code.c_str(), GetCurrentProcessId(), ++counter);
        std::string path = dir + name;
        FileHandle file(CreateNewFile(path));
        if (file.IsOpen()) return path;
        // Left behind by an earlier process with the same id: take the next number.
        if (DWORD error = GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
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

    if (strCode.empty()) strCode = kDefaultCode;
    // The code becomes a file name and a URL path: anything but letters and
    // digits fails here, as an unreachable server would, touching nothing.
    const DayRequest request = RequestDay(strCode, strChartUrl, false);
    if (!request.Made()) return FailLoad();
    ChartSession& session = chart.session;
    session.BeginLoad(strCode, session.Info());

    // Both downloads share one WinINet handle, closed when the load ends.
    struct CloseAtEnd {
        SharedInternet& internetRoot;
        ~CloseAtEnd() { internetRoot.Close(); }
    } closeAtEnd{internetRoot};
    std::vector<unsigned char> bytes;
    if (!Fetch(request.infoUrl, bytes)) return -1;
    session.AcceptInfo(bytes.data(), bytes.size());

    if (!Fetch(request.dataUrl, bytes)) return -1;
    session.AcceptData(bytes.data(), bytes.size());
    bytes = {};
    chart.RefreshChart(FALSE);
    return 0;
}

std::string DataLoaderWnd::DownloadFile(const std::string& url, const std::string& path) {
    return DownloadToFile(url, path, limits, internetRoot).Text();
}

bool DataLoaderWnd::Fetch(const std::string& url, std::vector<unsigned char>& bytes) {
    std::string path = CreatePrivateFile(strTempDir, strCode);
    if (path.empty()) return FailLoad(), false;
    // A failed download leaves no file, and nothing stale is read in its place.
    if (DownloadFile(url, path) != "YES") return FailLoad(), false;
    return ReadAndDelete(path, bytes);
}

int DataLoaderWnd::FailLoad() {
    MessageBoxA(nullptr, kLoadFailedText, AppName().c_str(), MB_OK | MB_SYSTEMMODAL);
    return -1;
}

void DataLoaderWnd::OnDestroy() {
    chart.DestroyWindow();
    Default();
}
