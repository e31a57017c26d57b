// Time to the first chart: in one process, from loading SIVARTA.OCX through
// creation, property setup and activation in Wine's ATL container (both
// loopback downloads, reading, drawing, ReadyInfo) to the chart's first
// paint. Each run is a fresh process, so every run is cold; the parent prints
// the median of each phase. Phases inside the activation are told apart by
// the moments the loopback server saw each request arrive and its answer go.
// Then the time inside each system function the control called through its
// import table (WinINet, loaded by the first download, is not among them),
// and the phases of a second chart in the same process.
//   first_chart_bench [RUNS] [--full-hd] [--test-server]   (default 15 runs
//   of 391 records at 228 x 190; --full-hd: 23,400 one-second records at
//   1920 x 1080; --test-server: the tests' server, a thread per connection)
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/first_chart/day_server.h"
#include "bench/first_chart/import_timer.h"
#include "sivarta_h.h"
#include "win/support/day_files.h"
#include "win/support/test_http_server.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxAttachControlFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
using DllGetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

const char* const kPhases[] = {
    "dll load",         // LoadLibrary of the OCX and its class object
    "creation",         // CoCreateInstance, InitNew, properties, event sink
    "to chart",         // activation: site, control and loader windows
    "chart creation",   // the chart window's WM_CREATE: surface, font, tooltip, scroll bar
    "to 1st request",   // temporary file, WinINet set-up, connect (on the load's worker thread,
                        // so below 0 when the info file was asked for while the windows were made)
    "info download",    // request in to answer out, at the server
    "between files",    // info read and checked, the next connection
    "data download",
    "read + draw",   // data read, bars, redraw, up to ReadyInfo
    "event to return",
    "first paint",   // the container's loop until the chart's WM_PAINT is done
    "total",
};
constexpr int kPhaseCount = sizeof kPhases / sizeof kPhases[0];
constexpr int32_t kDate = 20021115;

struct Day {
    int records = 391;
    int stepSeconds = 60;
    int width = 228;
    int height = 190;
};
constexpr Day kFullHdDay{23400, 1, 1920, 1080};

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(int64_t from, int64_t to) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(to - from) * 1000.0 / frequency;
}

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// When the chart window's WM_CREATE starts and ends, seen by hooks on this thread.
struct ChartCreation {
    static inline int64_t begun = 0;
    static inline int64_t ended = 0;
    static bool IsChart(HWND window) {
        return GetDlgCtrlID(window) == 5000 && GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD;
    }
    static LRESULT CALLBACK Before(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_CREATE && !begun && IsChart(call->hwnd)) begun = Ticks();
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK After(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_CREATE && !ended && IsChart(call->hwnd)) ended = Ticks();
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

// Notes when ReadyInfo arrives.
class ReadySink final : public IDispatch {
public:
    int64_t at = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(_DSivartaEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id == 1 && !at) at = Ticks();
        return S_OK;
    }
};

// Sets a property by name; the value is the caller's to clear.
HRESULT PutProperty(IDispatch* control, const wchar_t* name, VARIANT& value) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return E_FAIL;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT PutText(IDispatch* control, const wchar_t* name, const std::wstring& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text.c_str());
    HRESULT hr = PutProperty(control, name, value);
    VariantClear(&value);
    return hr;
}

HRESULT PutNumber(IDispatch* control, const wchar_t* name, long number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return PutProperty(control, name, value);
}

HWND FindChart(HWND root) {
    HWND found = nullptr;
    EnumChildWindows(
        root,
        [](HWND window, LPARAM param) -> BOOL {
            if (GetDlgCtrlID(window) != 5000) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The container's loop until the chart's first WM_PAINT has been handled.
bool PumpUntilChartPainted(HWND window) {
    HWND chart = FindChart(window);
    if (!chart) return false;
    int64_t limit = Ticks();
    MSG msg;
    while (Ms(limit, Ticks()) < 5000) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message == WM_PAINT && msg.hwnd == chart) return true;
    }
    return false;
}

struct Atl {
    AtlAxAttachControlFn attach = nullptr;
};

// One chart in a fresh container window, from `start` to its first paint;
// prints its phases (dll load is `loadMs`, `excludedMs` of the bench's own
// is left out of the total). False when the chart did not come up.
template <typename Server>
bool ShowChart(const Atl& atl, Server& server, const Day& day, int64_t start, double loadMs, double excludedMs,
               HWND window) {
    const int64_t ready = Ticks();
    ChartCreation::begun = ChartCreation::ended = 0;
    IDispatch* control = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(Sivarta), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&control))))
        return std::fprintf(stderr, "CoCreateInstance failed\n"), false;
    IPersistStreamInit* persist = nullptr;
    control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
    persist->InitNew();
    persist->Release();
    std::string host = server.Host();
    PutText(control, L"strChartUrl", std::wstring(host.begin(), host.end()));
    PutText(control, L"strCode", L"005930");
    // The chart's own size, as a page's PARAMs give it; the container is as large.
    PutNumber(control, L"nsizeMainX", day.width);
    PutNumber(control, L"nsizeMainY", day.height);
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    ReadySink sink;
    control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    points->FindConnectionPoint(__uuidof(_DSivartaEvents), &point);
    point->Advise(&sink, &cookie);
    const int64_t created = Ticks();

    HHOOK before = SetWindowsHookExW(WH_CALLWNDPROC, &ChartCreation::Before, nullptr, GetCurrentThreadId());
    HHOOK after = SetWindowsHookExW(WH_CALLWNDPROCRET, &ChartCreation::After, nullptr, GetCurrentThreadId());
    IUnknown* container = nullptr;
    HRESULT hr = atl.attach(control, window, &container);
    UnhookWindowsHookEx(before);
    UnhookWindowsHookEx(after);
    const int64_t activated = Ticks();
    bool painted = SUCCEEDED(hr) && PumpUntilChartPainted(window);
    const int64_t shown = Ticks();

    const auto all = server.Exchanges();
    if (!painted || all.size() < 2 || all.size() % 2 || !sink.at || !ChartCreation::ended)
        return std::fprintf(stderr, "the chart did not come up\n"), false;
    RECT client{};
    GetClientRect(FindChart(window), &client);
    if (client.right != day.width || client.bottom != day.height)
        return std::fprintf(stderr, "the chart is %ldx%ld, not %dx%d\n", client.right, client.bottom, day.width,
                            day.height),
               false;
    const auto* ex = &all[all.size() - 2];   // this chart's two
    const double phases[kPhaseCount] = {
        loadMs,
        Ms(ready, created),
        Ms(created, ChartCreation::begun),
        Ms(ChartCreation::begun, ChartCreation::ended),
        Ms(ChartCreation::ended, ex[0].received),
        Ms(ex[0].received, ex[0].answered),
        Ms(ex[0].answered, ex[1].received),
        Ms(ex[1].received, ex[1].answered),
        Ms(ex[1].answered, sink.at),
        Ms(sink.at, activated),
        Ms(activated, shown),
        Ms(start, shown) - excludedMs,
    };
    for (double ms : phases) std::printf("%.3f ", ms);
    std::printf("\n");

    point->Unadvise(cookie);
    point->Release();
    points->Release();
    DestroyWindow(window);
    if (container) container->Release();
    control->Release();
    return true;
}

HWND MakeContainer(const Day& day) {
    return CreateWindowExW(0, L"AtlAxWin", L"", WS_POPUP | WS_VISIBLE, 0, 0, day.width, day.height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// One cold run in this process: prints the first chart's phases in
// milliseconds, the time inside each system function it called, then the
// phases of a second chart in the same process (what a further chart on a
// page costs, and what the first costs once the process's own first-use
// work is done).
template <typename Server>
int RunOnce(const Day& day) {
    // The container and the data server exist before the page asks for the control.
    OleInitialize(nullptr);
    HMODULE atlModule = LoadLibraryW(L"atl.dll");
    auto init = atlModule ? Export<AtlAxWinInitFn>(atlModule, "AtlAxWinInit") : nullptr;
    Atl atl{atlModule ? Export<AtlAxAttachControlFn>(atlModule, "AtlAxAttachControl") : nullptr};
    if (!init || !atl.attach || !init()) return std::fprintf(stderr, "no AtlAxWin\n"), 1;
    Server server;
    server.Serve("/sisefile/info/005930.dat", InfoFile(MakeInfo("005930", kDate)));
    server.Serve("/sisefile/Date/005930.dat", DataFile(MakeTicks(kDate, day.records, day.stepSeconds)));
    HWND window = MakeContainer(day);
    if (!window) return std::fprintf(stderr, "no container window\n"), 1;

    const int64_t start = Ticks();
    HMODULE ocx = LoadLibraryW(BesideThisProgram(L"SIVARTA.OCX").c_str());
    auto getClassObject = ocx ? Export<DllGetClassObjectFn>(ocx, "DllGetClassObject") : nullptr;
    IClassFactory* factory = nullptr;
    DWORD registration = 0;
    if (!getClassObject ||
        FAILED(getClassObject(__uuidof(Sivarta), IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(
            CoRegisterClassObject(__uuidof(Sivarta), factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration)))
        return std::fprintf(stderr, "SIVARTA.OCX not usable\n"), 1;
    const int64_t loaded = Ticks();
    // The patch's own moment is left out of every phase.
    TimeImports(ocx);
    const int64_t patched = Ticks();
    if (!ShowChart(atl, server, day, start, Ms(start, loaded), Ms(loaded, patched), window)) return 1;
    for (const ImportTotal& total : ImportTotals())
        if (total.calls) std::printf("%s %d %.3f ", total.name, total.calls, Ms(0, total.ticks));
    std::printf("\n");
    window = MakeContainer(day);
    if (!window || !ShowChart(atl, server, day, Ticks(), 0, 0, window)) return 1;

    CoRevokeClassObject(registration);
    factory->Release();
    return 0;
}

// Runs this program with --once and returns what it printed.
bool RunChild(const std::wstring& flags, std::string& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + BesideThisProgram(L"first_chart_bench.exe") + L"\" --once" + flags;
    PROCESS_INFORMATION process{};
    BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return started;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<double> Numbers(const std::string& text) {
    std::istringstream line(text);
    std::vector<double> values;
    for (double v; line >> v;) values.push_back(v);
    return values;
}

void PrintPhases(const std::vector<std::vector<double>>& samples) {
    for (int i = 0; i < kPhaseCount; ++i) {
        auto [low, high] = std::minmax_element(samples[i].begin(), samples[i].end());
        std::printf("  %-16s %8.2f   (min %.2f, max %.2f)\n", kPhases[i], Median(samples[i]), *low, *high);
    }
}

// The system functions the control spent most in, by median (a run that
// made no such call counts as 0).
void PrintInside(std::map<std::string, std::vector<double>>& inside, const std::map<std::string, int>& calls,
                 size_t runs) {
    std::vector<std::pair<double, std::string>> order;
    for (auto& [name, ms] : inside) {
        ms.resize(runs, 0.0);
        order.emplace_back(Median(ms), name);
    }
    std::sort(order.rbegin(), order.rend());
    std::printf("inside system calls made by the control (median ms over the runs; calls in the last run):\n");
    for (const auto& [ms, name] : order)
        if (ms >= 0.05) std::printf("  %-28s %8.2f  (%d calls)\n", name.c_str(), ms, calls.at(name));
}

}   // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool fullHd = std::find(args.begin(), args.end(), "--full-hd") != args.end();
    const Day day = fullHd ? kFullHdDay : Day{};
    const bool testServer = std::find(args.begin(), args.end(), "--test-server") != args.end();
    if (!args.empty() && args[0] == "--once")
        return testServer ? RunOnce<TestHttpServer>(day) : RunOnce<DayServer>(day);
    const std::wstring flags = std::wstring(fullHd ? L" --full-hd" : L"") + (testServer ? L" --test-server" : L"");
    int runs = !args.empty() && args[0].rfind("--", 0) != 0 ? std::atoi(args[0].c_str()) : 15;
    if (runs < 1) runs = 15;
    std::vector<std::vector<double>> samples(kPhaseCount), second(kPhaseCount);
    std::map<std::string, std::vector<double>> inside;   // ms in each system function, per run
    std::map<std::string, int> calls;
    int failed = 0;
    for (int run = 0; run < runs; ++run) {
        std::string output;
        std::istringstream lines(RunChild(flags, output) ? output : std::string());
        std::string phaseLine, importLine, secondLine;
        std::getline(lines, phaseLine);
        std::getline(lines, importLine);
        std::getline(lines, secondLine);
        std::vector<double> values = Numbers(phaseLine), again = Numbers(secondLine);
        if (values.size() != kPhaseCount || again.size() != kPhaseCount) {
            ++failed;
            continue;
        }
        for (int i = 0; i < kPhaseCount; ++i) {
            samples[i].push_back(values[i]);
            second[i].push_back(again[i]);
        }
        std::istringstream imports(importLine);
        std::string name;
        int count = 0;
        for (double ms; imports >> name >> count >> ms;) {
            inside[name].push_back(ms);
            calls[name] = count;
        }
    }
    if (samples[0].empty()) return std::fprintf(stderr, "no run completed\n"), 1;
    std::printf("first chart, %d records at %d x %d, %zu cold runs (%d failed), %s: median ms\n", day.records,
                day.width, day.height, samples[0].size(), failed,
                testServer ? "the tests' server (a thread per connection)" : "a one-thread loopback server");
    PrintPhases(samples);
    PrintInside(inside, calls, samples[0].size());
    std::printf("second chart in the same process (the OCX, WinINet, fonts and windowing already in use): median ms\n");
    PrintPhases(second);
    return 0;
}
