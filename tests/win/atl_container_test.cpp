// The control inside Wine's ATL container (atl.dll, the "AtlAxWin" window
// class), fed by a loopback data server: a container that knows nothing of
// the control creates it from a saved stream, activates it and tears it down.
// SIVARTA.OCX is taken from beside this program and its class object is
// registered for this process only, so the test needs no regsvr32.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "data/stock_records.h"
#include "activex/support/message_box_watcher.h"
#include "sivarta_h.h"
#include "win/support/test_http_server.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxCreateControlExFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**, REFIID, IUnknown*);
using AtlAxAttachControlFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
using DllGetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// A DLL export as the function type it has.
template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

constexpr wchar_t kClsidText[] = L"{32CE8465-2D18-4AEE-9098-837844E6E926}";
constexpr int kChartId = 5000;

// One instrument's day as the data server hands it out.
struct Day {
    StockInfo info{};
    std::vector<TickRecord> ticks;

    std::string InfoBytes() const { return std::string(reinterpret_cast<const char*>(&info), sizeof info); }
    std::string DataBytes() const {
        return std::string(reinterpret_cast<const char*>(ticks.data()), ticks.size() * sizeof(TickRecord));
    }
};

Day MakeDay() {
    Day day;
    day.info.date = 20240105;
    day.info.time = 153000;
    std::memcpy(day.info.code, "005930", 6);   // six bytes, no terminator
    const char name[] = "삼성전자";            // code page 949 bytes in this build
    std::memcpy(day.info.name, name, sizeof name);
    day.info.open = 71000;
    day.info.high = 72500;
    day.info.low = 70500;
    day.info.current = 70850;
    day.info.volume = 1234567;
    day.info.change = -150;
    for (int i = 0; i < 40; ++i) {
        int32_t price = 71000 + (i % 7) * 100 - (i % 3) * 150;
        day.ticks.push_back({20240105, 90000 + (i / 60) * 10000 + (i % 60) * 100, price, price + 200, price - 200,
                             price + ((i % 2) ? 100 : -100), 1000 + i * 37});
    }
    return day;
}

// --- automation by name, as a script calls the control ------------------------

DISPID IdOf(IDispatch* control, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
    return id;
}

HRESULT PutProperty(IDispatch* control, const wchar_t* name, VARIANT value) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                           nullptr, nullptr);
}

HRESULT PutString(IDispatch* control, const wchar_t* name, const wchar_t* text) {
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);
    HRESULT hr = PutProperty(control, name, value);
    VariantClear(&value);
    return hr;
}

HRESULT PutLong(IDispatch* control, const wchar_t* name, LONG number) {
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return PutProperty(control, name, value);
}

// Calls a method without arguments; the text of a BSTR result or the number of an I4.
std::wstring CallText(IDispatch* control, const wchar_t* name) {
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result,
                                 nullptr, nullptr);
    EXPECT_EQ(S_OK, hr) << name;
    std::wstring text;
    if (V_VT(&result) == VT_BSTR) {
        text.assign(V_BSTR(&result), SysStringLen(V_BSTR(&result)));
    } else if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR))) {
        text.assign(V_BSTR(&result), SysStringLen(V_BSTR(&result)));
    }
    VariantClear(&result);
    return text;
}

// --- an event sink that counts ReadyInfo and reads the code when it arrives ---

class ReadySink final : public IDispatch {
public:
    int ready = 0;
    std::wstring codeAtEvent;
    IDispatch* control = nullptr;   // not owned

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(_DSivartaEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;   // lives on the test's stack; no counting needed
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != 1) return DISP_E_MEMBERNOTFOUND;
        ++ready;
        if (control) codeAtEvent = CallText(control, L"GetStockCode");
        return S_OK;
    }
};

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDescendant(HWND root, int id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(root, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PumpMessages() {
    MSG msg;
    for (int i = 0; i < 10; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

// Real input, as the user gives it: through the system's input queue.
void SendMouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD key) {
    INPUT input[2]{};
    for (INPUT& i : input) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// The message loop of an ATL host: keyboard messages go to the active
// object's TranslateAccelerator before they are dispatched.
void PumpLikeAHost(IOleInPlaceActiveObject* active) {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && active->TranslateAccelerator(&msg) == S_OK)
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

// The columns of one row of the window that show the crosshair colour.
std::vector<int> CrosshairColumns(HWND window, int y) {
    constexpr COLORREF kCrosshair = 0xA56E3A;
    RECT client{};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    std::vector<int> columns;
    for (int x = 0; x < client.right; ++x)
        if (GetPixel(dc, x, y) == kCrosshair) columns.push_back(x);
    ReleaseDC(window, dc);
    return columns;
}

std::wstring OcxPath() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    for (const wchar_t* candidate : {L"SIVARTA.OCX", L"..\\bin\\SIVARTA.OCX"}) {
        std::wstring full = folder + candidate;
        if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return full;
    }
    return folder + L"SIVARTA.OCX";
}

class AtlContainerTest : public ::testing::Test {
protected:
    // atl.dll registers its window class once per process.
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        if (atlReady) return;   // an earlier suite of this program did it
        HMODULE atl = LoadLibraryW(L"atl.dll");
        if (!atl) return;
        auto init = Export<AtlAxWinInitFn>(atl, "AtlAxWinInit");
        createControl = Export<AtlAxCreateControlExFn>(atl, "AtlAxCreateControlEx");
        attachControl = Export<AtlAxAttachControlFn>(atl, "AtlAxAttachControl");
        atlReady = init && createControl && attachControl && init();
    }
    static void TearDownTestSuite() { OleUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(atlReady) << "Wine's atl.dll with AtlAxWinInit, AtlAxCreateControlEx, AtlAxAttachControl";
        ocx = LoadLibraryW(OcxPath().c_str());
        ASSERT_NE(nullptr, ocx) << "SIVARTA.OCX beside the test program";
        auto getClassObject = Export<DllGetClassObjectFn>(ocx, "DllGetClassObject");
        ASSERT_NE(nullptr, getClassObject);
        ASSERT_EQ(S_OK, getClassObject(__uuidof(Sivarta), IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        // The container's CoCreateInstance finds the class here before the registry.
        ASSERT_EQ(S_OK, CoRegisterClassObject(__uuidof(Sivarta), factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &registration));

        day = MakeDay();
        server.Serve("/sisefile/info/005930.dat", day.InfoBytes());
        server.Serve("/sisefile/Date/005930.dat", day.DataBytes());
    }

    void TearDown() override {
        if (registration) CoRevokeClassObject(registration);
        if (factory) factory->Release();
        // The OCX stays loaded: COM may still hold its objects until the apartment ends.
    }

    // A control configured by a script and saved by its own IPersistStreamInit,
    // as a container keeps it from one visit to the next.
    IStream* SavedControl(const wchar_t* host, LONG toolTip = 1) {
        IDispatch* control = nullptr;
        IPersistStreamInit* persist = nullptr;
        IStream* stream = nullptr;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control)));
        if (!control) return nullptr;
        EXPECT_EQ(S_OK, control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)));
        EXPECT_EQ(S_OK, persist->InitNew());
        EXPECT_EQ(S_OK, PutString(control, L"strChartUrl", host));
        EXPECT_EQ(S_OK, PutString(control, L"strCode", L"005930"));
        EXPECT_EQ(S_OK, PutLong(control, L"nsizeMainX", 300));
        EXPECT_EQ(S_OK, PutLong(control, L"nsizeMainY", 200));
        EXPECT_EQ(S_OK, PutLong(control, L"nIsToolTip", toolTip));
        EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
        EXPECT_EQ(S_OK, persist->Save(stream, TRUE));
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        persist->Release();
        control->Release();
        return stream;
    }

    // An "AtlAxWin" window with no control name: the container is attached later.
    static HWND ContainerWindow() {
        return CreateWindowExW(0, L"AtlAxWin", L"", WS_POPUP | WS_VISIBLE, 40, 40, 400, 250, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }

    void ExpectInfoOfDay(IDispatch* control) {
        EXPECT_EQ(L"005930", CallText(control, L"GetStockCode"));
        EXPECT_EQ(L"삼성전자", CallText(control, L"GetStockName"));
        EXPECT_EQ(L"20240105", CallText(control, L"GetStockDate"));
        EXPECT_EQ(L"153000", CallText(control, L"GetStockTime"));
        EXPECT_EQ(L"70850", CallText(control, L"GetStockCurrentga"));
        EXPECT_EQ(L"-150", CallText(control, L"GetStockChange"));
    }

    // A control loaded from a saved stream with `sink` connected to its
    // events, as a page's script would be before the container shows it.
    // ASSERTs end the calling test through HasFatalFailure.
    struct Connected {
        IDispatch* control = nullptr;
        IConnectionPointContainer* points = nullptr;
        IConnectionPoint* point = nullptr;
        DWORD cookie = 0;
        ~Connected() {
            if (point) {
                point->Unadvise(cookie);
                point->Release();
            }
            if (points) points->Release();
            if (control) control->Release();
        }
    };
    void ConnectLoadedControl(IDispatch* sink, Connected& c) {
        IStream* stream = SavedControl(std::wstring(server.Host().begin(), server.Host().end()).c_str());
        ASSERT_NE(nullptr, stream);
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&c.control)));
        IPersistStreamInit* persist = nullptr;
        ASSERT_EQ(S_OK, c.control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)));
        ASSERT_EQ(S_OK, persist->Load(stream));
        persist->Release();
        stream->Release();
        ASSERT_EQ(S_OK, c.control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&c.points)));
        ASSERT_EQ(S_OK, c.points->FindConnectionPoint(__uuidof(_DSivartaEvents), &c.point));
        ASSERT_EQ(S_OK, c.point->Advise(sink, &c.cookie));
    }

    static inline bool atlReady = false;
    static inline AtlAxCreateControlExFn createControl = nullptr;
    static inline AtlAxAttachControlFn attachControl = nullptr;
    HMODULE ocx = nullptr;
    IClassFactory* factory = nullptr;
    DWORD registration = 0;
    TestHttpServer server;
    Day day;
};

TEST_F(AtlContainerTest, CreatesFromSavedStreamAndShowsTheDayAtThePropertySize) {
    IStream* stream = SavedControl(std::wstring(server.Host().begin(), server.Host().end()).c_str());
    ASSERT_NE(nullptr, stream);
    HWND window = ContainerWindow();
    ASSERT_NE(nullptr, window);

    IUnknown* container = nullptr;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, createControl(kClsidText, window, stream, &container, &unknown, IID_NULL, nullptr));
    stream->Release();
    ASSERT_NE(nullptr, unknown);
    PumpMessages();

    // The load ran inside activation: both files, in order, from the saved host.
    EXPECT_EQ((std::vector<std::string>{"/sisefile/info/005930.dat", "/sisefile/Date/005930.dat"}), server.Requests());

    // The chart has the saved size, not the container's 400 x 250.
    HWND chart = FindDescendant(window, kChartId);
    ASSERT_NE(nullptr, chart);
    RECT client{};
    GetClientRect(chart, &client);
    EXPECT_EQ(300, client.right);
    EXPECT_EQ(200, client.bottom);
    EXPECT_TRUE(IsWindowVisible(chart));

    IDispatch* control = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control)));
    ExpectInfoOfDay(control);
    control->Release();

    DestroyWindow(window);   // the container closes the control and lets go of it
    PumpMessages();
    EXPECT_FALSE(IsWindow(chart));
    unknown->Release();
    if (container) container->Release();
}

TEST_F(AtlContainerTest, ReadyInfoReachesTheSinkOncePerWindowCreation) {
    ReadySink sink;
    Connected connected;
    ConnectLoadedControl(&sink, connected);
    if (HasFatalFailure()) return;
    IDispatch* control = connected.control;
    sink.control = control;
    EXPECT_EQ(0, sink.ready);

    for (int creation = 1; creation <= 2; ++creation) {
        HWND window = ContainerWindow();
        ASSERT_NE(nullptr, window);
        IUnknown* container = nullptr;
        ASSERT_EQ(S_OK, attachControl(control, window, &container));
        PumpMessages();
        // Fired during the window's creation, with the info already read.
        EXPECT_EQ(creation, sink.ready);
        EXPECT_EQ(L"005930", sink.codeAtEvent);
        EXPECT_NE(nullptr, FindDescendant(window, kChartId));
        DestroyWindow(window);
        PumpMessages();
        if (container) container->Release();
        EXPECT_EQ(creation, sink.ready) << "nothing more on destruction";
    }
    // Each creation loaded the day again.
    EXPECT_EQ(4u, server.Requests().size());
}

TEST_F(AtlContainerTest, ReadyInfoAlsoFiresWhenTheServerHasNoInfo) {
    server.Fail("/sisefile/info/005930.dat", TestHttpServer::Fault::NotFound);
    ReadySink sink;
    Connected connected;
    ConnectLoadedControl(&sink, connected);
    if (HasFatalFailure()) return;
    IDispatch* control = connected.control;

    HWND window = ContainerWindow();
    ASSERT_NE(nullptr, window);
    IUnknown* container = nullptr;
    {
        MessageBoxWatcher boxes;   // answers the failure box the user would see
        ASSERT_EQ(S_OK, attachControl(control, window, &container));
        PumpMessages();
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("fail Loading Datafile!", boxes.Boxes()[0].text) << "caption: " << boxes.Boxes()[0].caption;
    }
    EXPECT_EQ(1, sink.ready);
    // A 404 page is no info: nothing was read, and the data file was not asked for.
    EXPECT_EQ(std::vector<std::string>{"/sisefile/info/005930.dat"}, server.Requests());
    EXPECT_EQ(L"", CallText(control, L"GetStockCode"));
    EXPECT_EQ(L"", CallText(control, L"GetStockName"));
    EXPECT_EQ(L"0", CallText(control, L"GetStockDate"));
    EXPECT_EQ(L"0", CallText(control, L"GetStockCurrentga"));

    DestroyWindow(window);
    PumpMessages();
    if (container) container->Release();
}

TEST_F(AtlContainerTest, ClickThenArrowKeysMoveTheCrosshair) {
    IStream* stream = SavedControl(std::wstring(server.Host().begin(), server.Host().end()).c_str(), 0);
    ASSERT_NE(nullptr, stream);
    HWND window = ContainerWindow();
    ASSERT_NE(nullptr, window);
    IUnknown* container = nullptr;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, createControl(kClsidText, window, stream, &container, &unknown, IID_NULL, nullptr));
    stream->Release();
    IOleInPlaceActiveObject* active = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)));
    SetForegroundWindow(window);
    PumpLikeAHost(active);
    HWND chart = FindDescendant(window, kChartId);
    ASSERT_NE(nullptr, chart);

    // A click on the price pane: the crosshair follows the mouse there, and
    // the keyboard goes to the chart.
    POINT click{150, 60};
    POINT screen = click;
    ClientToScreen(chart, &screen);
    SendMouse(MOUSEEVENTF_MOVE, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    PumpLikeAHost(active);
    EXPECT_EQ(chart, GetFocus());
    const int below = click.y + 20;   // a row only the vertical line crosses
    std::vector<int> column = CrosshairColumns(chart, below);
    ASSERT_EQ(1u, column.size());
    const int x0 = column[0];
    EXPECT_LE(std::abs(x0 - click.x), 2);
    EXPECT_GT(CrosshairColumns(chart, click.y).size(), 100u);

    // Left moves to the previous slot, three columns over; down one row.
    SendKey(VK_LEFT);
    PumpLikeAHost(active);
    EXPECT_EQ(std::vector<int>{x0 - 3}, CrosshairColumns(chart, below));
    SendKey(VK_DOWN);
    PumpLikeAHost(active);
    EXPECT_GT(CrosshairColumns(chart, click.y + 1).size(), 100u);
    EXPECT_LE(CrosshairColumns(chart, click.y).size(), 1u);

    // With the focus on the control's own window (where containers put it),
    // the arrow keys still reach the chart.
    HWND controlWindow = GetParent(GetParent(chart));
    SetFocus(controlWindow);
    SendKey(VK_RIGHT);
    PumpLikeAHost(active);
    EXPECT_EQ(std::vector<int>{x0}, CrosshairColumns(chart, below));

    active->Release();
    DestroyWindow(window);
    PumpMessages();
    unknown->Release();
    if (container) container->Release();
}

// --- the keyboard in each kind of message loop a container runs --------------

enum class HostLoop {
    Accelerators,   // offers keys to IOleInPlaceActiveObject::TranslateAccelerator first
    Plain,          // GetMessage, TranslateMessage, DispatchMessage and nothing else
    Dialog,         // IsDialogMessage first, as a dialog box's owner does
};

std::string LoopName(const ::testing::TestParamInfo<HostLoop>& info) {
    switch (info.param) {
    case HostLoop::Accelerators:
        return "Accelerators";
    case HostLoop::Plain:
        return "Plain";
    case HostLoop::Dialog:
        return "Dialog";
    }
    return "Unknown";
}

void PumpLoop(HostLoop loop, HWND dialog, IOleInPlaceActiveObject* active) {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
            if (loop == HostLoop::Accelerators && key && active->TranslateAccelerator(&msg) == S_OK) continue;
            if (loop == HostLoop::Dialog && IsDialogMessageW(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A modeless dialog from an in-memory template, with a push button before
// the container: arrow keys the chart does not claim move the focus there.
HWND DialogWithContainer(HWND* container) {
    struct Template {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    };
    alignas(4) Template shape{};
    shape.dialog.style = WS_POPUP | WS_VISIBLE;
    shape.dialog.x = 20;
    shape.dialog.y = 20;
    shape.dialog.cx = 300;
    shape.dialog.cy = 200;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND dialog = CreateDialogIndirectParamW(instance, &shape.dialog, nullptr, PlainDialogProc, 0);
    if (!dialog) return nullptr;
    CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 80, 24, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
    *container = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 30, 400, 250, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), instance, nullptr);
    return dialog;
}

struct CrosshairPoint {
    int x = -1, y = -1;
    bool operator==(const CrosshairPoint&) const = default;
};

std::ostream& operator<<(std::ostream& out, const CrosshairPoint& p) {
    return out << "(" << p.x << ", " << p.y << ")";
}

// The crosshair on the window: the one column and the one row mostly of its
// colour, -1 where there is none or more than one.
CrosshairPoint FindCrosshair(HWND window) {
    constexpr DWORD kCrosshairDib = 0x3A6EA5;   // 0xA56E3A as a DIB pixel
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, dib);
    HDC screen = GetDC(window);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
    GdiFlush();
    std::vector<int> perColumn(width), perRow(height);
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) == kCrosshairDib) ++perColumn[x], ++perRow[y];
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    auto onlyLine = [](const std::vector<int>& counts, int longerThan) {
        int found = -1;
        for (int i = 0; i < static_cast<int>(counts.size()); ++i) {
            if (counts[i] <= longerThan) continue;
            if (found >= 0) return -1;
            found = i;
        }
        return found;
    };
    return {onlyLine(perColumn, height / 3), onlyLine(perRow, width / 3)};
}

class AtlKeyboardTest : public AtlContainerTest, public ::testing::WithParamInterface<HostLoop> {};

TEST_P(AtlKeyboardTest, ClickThenEachArrowKeyMovesTheCrosshairOnce) {
    const HostLoop loop = GetParam();
    IStream* stream = SavedControl(std::wstring(server.Host().begin(), server.Host().end()).c_str(), 0);
    ASSERT_NE(nullptr, stream);
    HWND holder = nullptr;
    HWND top = loop == HostLoop::Dialog ? DialogWithContainer(&holder) : (holder = ContainerWindow());
    ASSERT_NE(nullptr, top);
    ASSERT_NE(nullptr, holder);
    IUnknown* container = nullptr;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, createControl(kClsidText, holder, stream, &container, &unknown, IID_NULL, nullptr));
    stream->Release();
    IOleInPlaceActiveObject* active = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)));
    SetForegroundWindow(top);
    PumpLoop(loop, top, active);
    HWND chart = FindDescendant(holder, kChartId);
    ASSERT_NE(nullptr, chart);

    POINT screen{150, 60};
    ClientToScreen(chart, &screen);
    SendMouse(MOUSEEVENTF_MOVE, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
    PumpLoop(loop, top, active);
    ASSERT_EQ(chart, GetFocus());
    CrosshairPoint expected = FindCrosshair(chart);
    ASSERT_LE(std::abs(expected.x - 150), 2);
    ASSERT_EQ(60, expected.y);

    // A slot is three columns; up and down move one row.
    const struct {
        WORD key;
        int dx, dy;
    } steps[] = {{VK_LEFT, -3, 0}, {VK_LEFT, -3, 0}, {VK_DOWN, 0, 1}, {VK_RIGHT, 3, 0},
                 {VK_UP, 0, -1},   {VK_UP, 0, -1},   {VK_RIGHT, 3, 0}};
    for (const auto& step : steps) {
        SendKey(step.key);
        PumpLoop(loop, top, active);
        expected.x += step.dx;
        expected.y += step.dy;
        EXPECT_EQ(expected, FindCrosshair(chart)) << "after key " << step.key;
    }
    EXPECT_EQ(chart, GetFocus()) << "the arrow keys stay with the chart";

    active->Release();
    DestroyWindow(top);
    PumpMessages();
    unknown->Release();
    if (container) container->Release();
}

INSTANTIATE_TEST_SUITE_P(HostLoops, AtlKeyboardTest,
                         ::testing::Values(HostLoop::Accelerators, HostLoop::Plain, HostLoop::Dialog), LoopName);

}   // namespace
