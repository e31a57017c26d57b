// Prints the time of a whole load (loader window creation, both downloads,
// reading, bars, redraw) and of two plain loopback GETs of the same files,
// for a 391-record and a 23,400-record day, with their ratio.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "activex/chart/data_loader_wnd.h"
#include "activex/framework/internet.h"
#include "win/support/day_files.h"
#include "win/support/test_http_server.h"

namespace {

constexpr int kRuns = 15;
constexpr int32_t kDate = 20021115;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One GET with a fresh InternetOpen handle, the body read and dropped.
bool PlainGet(const std::string& url) {
    InternetHandle internet(InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle file(InternetOpenUrlA(internet.Get(), url.c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1));
    if (!file) return false;
    char buffer[8192];
    DWORD got = 0;
    while (InternetReadFile(file.Get(), buffer, sizeof buffer, &got) && got > 0) {
    }
    return true;
}

double TimeLoad(const TestHttpServer& server, HWND parent, int32_t& bars) {
    double start = Now();
    DataLoaderWnd loader;
    loader.strCode = "005930";
    loader.strChartUrl = server.Host();
    BOOL ok = loader.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 600, 300}, parent, 0);
    double elapsed = Now() - start;
    bars = ok ? loader.chart.Model().series.Count() : -1;
    return elapsed;
}

}   // namespace

int main() {
    HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 650, 350, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    std::printf("%-8s %6s %10s %10s %10s %8s\n", "records", "bars", "load ms", "2xGET ms", "ratio", "target");
    for (int records : {391, 23400}) {
        TestHttpServer server;
        server.Serve("/sisefile/info/005930.dat", InfoFile(MakeInfo("005930", kDate)));
        server.Serve("/sisefile/Date/005930.dat", DataFile(MakeTicks(kDate, records)));
        std::string base = "http://" + server.Host() + "/sisefile/";
        std::vector<double> loads, gets;
        int32_t bars = 0;
        for (int run = 0; run <= kRuns; ++run) {
            double load = TimeLoad(server, parent, bars);
            double start = Now();
            PlainGet(base + "info/005930.dat");
            PlainGet(base + "Date/005930.dat");
            double get = Now() - start;
            if (run > 0) {   // the first run warms up WinINet and the fonts
                loads.push_back(load);
                gets.push_back(get);
            }
        }
        double load = Median(loads), get = Median(gets);
        std::printf("%-8d %6d %10.2f %10.2f %10.2f %8s\n", records, bars, load, get, load / get,
                    load <= 2 * get + 2 ? "met" : "missed");
    }
    DestroyWindow(parent);
    return 0;
}
