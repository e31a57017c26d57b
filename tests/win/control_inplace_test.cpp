// The control in-place activated by a minimal container site of our own,
// against a loopback data server: the chart at the property size, the info
// read back through the methods, ReadyInfo once per window creation, the
// defaults written at creation, and the click-through launch of a recording
// iexplore.exe that sits beside this program.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "activex/res/sivarta_ids.h"
#include "activex/support/message_box_watcher.h"
#include "win/support/control_client.h"
#include "win/support/day_files.h"
#include "win/support/scratch_dir.h"
#include "win/support/test_http_server.h"

namespace {

constexpr int32_t kDate = 20240105;
constexpr RECT kSiteRect{0, 0, 400, 250};

// IOleClientSite + IOleInPlaceSite on one window; counts its references so the
// test can see that the control releases what it kept.
class Site : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit Site(HWND window) : window(window) {}
    LONG refs = 1;
    int activations = 0;
    int deactivations = 0;
    HWND window;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override { return *m = nullptr, E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override { return *c = nullptr, E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    STDMETHODIMP GetWindow(HWND* hwnd) override { return *hwnd = window, S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return ++activations, S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *doc = nullptr;
        *pos = kSiteRect;
        *clip = kSiteRect;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return ++deactivations, S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
};

// Counts ReadyInfo and reads the code at that moment.
class ReadySink : public IDispatch {
public:
    int ready = 0;
    std::wstring codeAtEvent;
    IDispatch* control = nullptr;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DSivartaEvents) {
            *ppv = this;
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
        if (id == 1) {
            ++ready;
            codeAtEvent = CallText(control, L"GetStockCode");
        }
        return S_OK;
    }
};

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

SIZE SizeOf(HWND window) {
    RECT rc{};
    GetWindowRect(window, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

class InPlaceTest : public ::testing::Test {
protected:
    InPlaceTest() {
        host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
        site = std::make_unique<Site>(host);
        info = MakeInfo("005930", kDate);
        std::memset(info.name, 0, sizeof info.name);
        std::memcpy(info.name, "  Day Test   ", 13);
        info.change = -150;
        server.Serve("/sisefile/info/005930.dat", InfoFile(info));
        server.Serve("/sisefile/Date/005930.dat", DataFile(MakeTicks(kDate, 60)));
        control = ocx.NewControl();
        sink.control = control.Get();
        object = As<IOleObject>(control.Get(), IID_IOleObject);
    }
    ~InPlaceTest() override {
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        object.Reset();
        control.Reset();
        DestroyWindow(host);
    }

    void Configure(const std::wstring& chartUrl) {
        ASSERT_EQ(S_OK, PutText(control.Get(), L"strCode", L"005930"));
        ASSERT_EQ(S_OK, PutText(control.Get(), L"strChartUrl", chartUrl));
        ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainX", 300));
        ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainY", 200));
    }
    void Connect() {
        auto points = As<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
        ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__DSivartaEvents, point.Put()));
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    }
    HRESULT Activate() {
        object->SetClientSite(site.get());
        HRESULT hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, host, &kSiteRect);
        Pump();
        return hr;
    }
    HWND ControlWindow() {
        HWND window = nullptr;
        As<IOleInPlaceObject>(control.Get(), IID_IOleInPlaceObject)->GetWindow(&window);
        return window;
    }

    OcxModule ocx;
    TestHttpServer server;
    HWND host = nullptr;
    std::unique_ptr<Site> site;
    StockInfo info{};
    ComPtr<IDispatch> control;
    ComPtr<IOleObject> object;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ReadySink sink;
};

}   // namespace

TEST_F(InPlaceTest, ShowsTheDayAtThePropertySizeAndAnswersFromIt) {
    Configure(Wide(server.Host()));
    Connect();
    ASSERT_EQ(S_OK, Activate());

    HWND window = ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(host, GetParent(window));
    EXPECT_EQ(400, SizeOf(window).cx);
    EXPECT_EQ(250, SizeOf(window).cy);
    HWND loader = GetDlgItem(window, 0);
    ASSERT_TRUE(loader);
    EXPECT_TRUE(IsWindowVisible(loader));
    EXPECT_EQ(300, SizeOf(loader).cx);
    EXPECT_EQ(200, SizeOf(loader).cy);
    HWND chart = GetDlgItem(loader, 5000);
    ASSERT_TRUE(chart);
    EXPECT_EQ(300, SizeOf(chart).cx);
    EXPECT_EQ(200, SizeOf(chart).cy);

    EXPECT_EQ(1, sink.ready);
    EXPECT_EQ(L"005930", sink.codeAtEvent);   // the data is there when the event arrives
    EXPECT_EQ(L"005930", CallText(control.Get(), L"GetStockCode"));
    EXPECT_EQ(L"  Day Test", CallText(control.Get(), L"GetStockName"));
    EXPECT_EQ(kDate, CallI4(control.Get(), L"GetStockDate"));
    EXPECT_EQ(153000, CallI4(control.Get(), L"GetStockTime"));
    EXPECT_EQ(info.current, CallI4(control.Get(), L"GetStockCurrentga"));
    EXPECT_EQ(-150, CallI4(control.Get(), L"GetStockChange"));
    EXPECT_EQ((std::vector<std::string>{"/sisefile/info/005930.dat", "/sisefile/Date/005930.dat"}), server.Requests());

    // Where the control is larger than the chart, the placeholder shows:
    // white, with the edge of the inscribed ellipse.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(window);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 392, 5));
    bool edge = false;
    for (int x = 390; x < 400; ++x) edge = edge || GetPixel(dc, x, 125) == RGB(0, 0, 0);
    EXPECT_TRUE(edge);
    ReleaseDC(window, dc);

    // A new size from the container moves the control, not the chart.
    RECT larger{0, 0, 500, 300};
    EXPECT_EQ(S_OK, As<IOleInPlaceObject>(control.Get(), IID_IOleInPlaceObject)->SetObjectRects(&larger, &larger));
    EXPECT_EQ(500, SizeOf(window).cx);
    EXPECT_EQ(300, SizeOf(loader).cx);
}

TEST_F(InPlaceTest, ReadyInfoOncePerWindowCreationAndTheSiteIsReleased) {
    Configure(Wide(server.Host()));
    Connect();
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(1, sink.ready);
    EXPECT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
    EXPECT_EQ(1, site->deactivations);
    EXPECT_EQ(nullptr, ControlWindow());
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(2, sink.ready);
    EXPECT_EQ(4u, server.Requests().size());   // the day is fetched again for the new window

    // A sink that has gone hears nothing of the next creation.
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    object->Close(OLECLOSE_NOSAVE);
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(2, sink.ready);

    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    EXPECT_EQ(1, site->refs);
}

TEST_F(InPlaceTest, CreationWritesTheDefaultHostAndClickActionWithoutMarkingModified) {
    Configure(L"");
    auto persist = As<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit);
    ComPtr<IStream> discard;
    CreateStreamOnHGlobal(nullptr, TRUE, discard.Put());
    ASSERT_EQ(S_OK, persist->Save(discard.Get(), TRUE));
    Connect();
    {
        MessageBoxWatcher boxes;   // whatever the default host answers, no box waits for a user
        ASSERT_EQ(S_OK, Activate());
    }
    EXPECT_EQ(1, sink.ready);
    EXPECT_EQ(Wide(SIVARTA_DEFAULT_HOST), GetText(control.Get(), L"strChartUrl"));
    EXPECT_EQ(L"Y", GetText(control.Get(), L"strClickAction"));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), FALSE));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IDispatch> copy = ocx.NewControl();
    ASSERT_EQ(S_OK, As<IPersistStreamInit>(copy.Get(), IID_IPersistStreamInit)->Load(stream.Get()));
    EXPECT_EQ(Wide(SIVARTA_DEFAULT_HOST), GetText(copy.Get(), L"strChartUrl"));
    EXPECT_EQ(L"Y", GetText(copy.Get(), L"strClickAction"));
}

TEST_F(InPlaceTest, ClickThroughStartsTheBrowserWithThePage) {
    ScratchDir scratch;
    SetEnvironmentVariableA("SIVARTA_IEXPLORE_LOG", scratch.Path().c_str());
    // The command lines of the browser starts so far, once `n` have arrived
    // (or after ten seconds).
    auto waitForStarts = [&](size_t n) {
        for (int i = 0; i < 100 && scratch.Entries().size() < n; ++i) Sleep(100);
        Sleep(200);   // a start still writing its file
        std::multiset<std::string> starts;
        for (const std::string& name : scratch.Entries()) starts.insert(ReadWholeFile(scratch.File(name)));
        return starts;
    };

    Configure(Wide(server.Host()));
    ASSERT_EQ(S_OK, Activate());
    HWND window = ControlWindow();
    HWND chart = GetDlgItem(GetDlgItem(window, 0), 5000);
    ASSERT_TRUE(chart);

    const std::string defaultPage = std::string("iexplore.exe ") + SIVARTA_DEFAULT_PAGE;
    EXPECT_EQ(1, SendMessageA(window, WM_APP + 100, 0, 0));
    EXPECT_EQ(std::multiset<std::string>{defaultPage}, waitForStarts(1));

    // Changed while running, used by the next clicks on the chart; the page
    // reaches the browser as one argument. Two quick clicks start two browsers.
    ASSERT_EQ(S_OK, PutText(control.Get(), L"strURL", L"http://127.0.0.1/page?a=1 b\" -extoff"));
    const std::string page = "iexplore.exe http://127.0.0.1/page?a=1%20b%22%20-extoff";
    auto click = [&](int x) {
        SendMessageA(chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 20));
        SendMessageA(chart, WM_LBUTTONUP, 0, MAKELPARAM(x, 20));
    };
    click(20);
    click(40);
    EXPECT_EQ((std::multiset<std::string>{defaultPage, page, page}), waitForStarts(3));

    // Anything but a web page starts nothing, and the click still answers 1.
    for (const wchar_t* url : {L"file:///c:/windows/system32/calc.exe", L"\\\\host\\share\\x.exe",
                               L"-extoff http://127.0.0.1/", L"javascript:alert(1)"}) {
        ASSERT_EQ(S_OK, PutText(control.Get(), L"strURL", url));
        click(30);
        EXPECT_EQ(1, SendMessageA(window, WM_APP + 100, 0, 0));
    }
    Sleep(1500);
    EXPECT_EQ(3u, scratch.Entries().size());

    // "N" is taken at the next window creation and then nothing starts.
    ASSERT_EQ(S_OK, PutText(control.Get(), L"strClickAction", L"N"));
    object->Close(OLECLOSE_NOSAVE);
    ASSERT_EQ(S_OK, Activate());
    chart = GetDlgItem(GetDlgItem(ControlWindow(), 0), 5000);
    ASSERT_TRUE(chart);
    ASSERT_EQ(S_OK, PutText(control.Get(), L"strURL", L""));
    SendMessageA(chart, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    Sleep(1500);
    EXPECT_EQ(3u, scratch.Entries().size());
    SetEnvironmentVariableA("SIVARTA_IEXPLORE_LOG", nullptr);
}

TEST_F(InPlaceTest, AbsurdSizesNeitherCrashNorStopTheEvent) {
    Configure(Wide(server.Host()));
    ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainX", -50));
    ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainY", INT32_MAX));
    Connect();
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(1, sink.ready);
    EXPECT_EQ(L"005930", CallText(control.Get(), L"GetStockCode"));
    EXPECT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
    ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainX", 0));
    ASSERT_EQ(S_OK, PutI4(control.Get(), L"nsizeMainY", 0));
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(2, sink.ready);
}

TEST_F(InPlaceTest, FrozenEventsAreNotDelivered) {
    Configure(Wide(server.Host()));
    Connect();
    auto events = As<IOleControl>(control.Get(), IID_IOleControl);
    EXPECT_EQ(S_OK, events->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(0, sink.ready);
    EXPECT_EQ(S_OK, events->FreezeEvents(FALSE));
    object->Close(OLECLOSE_NOSAVE);
    ASSERT_EQ(S_OK, Activate());
    EXPECT_EQ(1, sink.ready);
}

TEST_F(InPlaceTest, ClientThatEnumeratesFindsTheEventsAndEverySinkGetsReadyInfo) {
    Configure(Wide(server.Host()));
    auto container = As<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(points.Put()));
    IConnectionPoint* found[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(2, found, &fetched));
    ASSERT_EQ(1u, fetched);
    ComPtr<IConnectionPoint> events;
    events.Attach(found[0]);
    IID iid{};
    ASSERT_EQ(S_OK, events->GetConnectionInterface(&iid));
    EXPECT_TRUE(iid == DIID__DSivartaEvents);
    // Skip past the end, Reset, and a Clone that keeps its own position.
    EXPECT_EQ(S_FALSE, points->Skip(1));
    ASSERT_EQ(S_OK, points->Reset());
    ComPtr<IEnumConnectionPoints> clone;
    ASSERT_EQ(S_OK, points->Clone(clone.Put()));
    EXPECT_EQ(S_OK, points->Skip(1));
    IConnectionPoint* again = nullptr;
    ASSERT_EQ(S_OK, clone->Next(1, &again, nullptr));
    EXPECT_EQ(events.Get(), again);
    again->Release();

    ReadySink sinks[3];
    DWORD cookies[3] = {};
    for (int i = 0; i < 3; ++i) {
        sinks[i].control = control.Get();
        ASSERT_EQ(S_OK, events->Advise(&sinks[i], &cookies[i]));
    }
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, events->EnumConnections(connections.Put()));
    CONNECTDATA data[4] = {};
    ASSERT_EQ(S_FALSE, connections->Next(4, data, &fetched));
    ASSERT_EQ(3u, fetched);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(cookies[i], data[i].dwCookie);
        EXPECT_EQ(static_cast<IUnknown*>(&sinks[i]), data[i].pUnk);
        data[i].pUnk->Release();
    }

    ASSERT_EQ(S_OK, Activate());
    for (const ReadySink& sink : sinks) {
        EXPECT_EQ(1, sink.ready);
        EXPECT_EQ(L"005930", sink.codeAtEvent);
    }
    for (DWORD cookie : cookies) EXPECT_EQ(S_OK, events->Unadvise(cookie));
}

// Lets go of the control from inside ReadyInfo, as a page's script may when
// it removes the object.
class ReleasingSink : public ReadySink {
public:
    ComPtr<IDispatch>* heldControl = nullptr;
    ComPtr<IOleObject>* heldObject = nullptr;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id == 1) {
            ++ready;
            heldObject->Reset();
            heldControl->Reset();
        }
        return S_OK;
    }
};

TEST_F(InPlaceTest, SinkThatReleasesTheControlFromReadyInfoEndsItCleanly) {
    Configure(Wide(server.Host()));
    ReleasingSink releasing;
    releasing.heldControl = &control;
    releasing.heldObject = &object;
    {
        auto points = As<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
        ComPtr<IConnectionPoint> events;
        ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__DSivartaEvents, events.Put()));
        ASSERT_EQ(S_OK, events->Advise(&releasing, &cookie));
    }
    IOleObject* raw = object.Get();
    raw->SetClientSite(site.get());
    EXPECT_EQ(S_OK, raw->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, host, &kSiteRect));
    Pump();
    EXPECT_EQ(1, releasing.ready);
    EXPECT_FALSE(control);
    // The control finished its activation, then went, and let go of the site.
    EXPECT_EQ(nullptr, GetWindow(host, GW_CHILD));
    EXPECT_EQ(1, site->refs);
    EXPECT_EQ(S_OK, ocx.CanUnloadNow());
}
