// Every display property reaches the picture. A page's PARAM list sets each
// one to a distinct non-default value through a property bag, Wine's ATL
// container creates the control against a loopback day, and each colour or
// switch is looked for where it belongs on the screen: in the chart window,
// and in the tooltip under the cursor. A setting that the control kept to
// itself would leave its default (or its absence) in the picture.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "chart/chart_geometry.h"
#include "chart/settings_table.h"
#include "activex/framework/gdi.h"
#include "win/support/control_client.h"
#include "win/support/day_files.h"
#include "win/support/test_http_server.h"

namespace {

constexpr int kWidth = 300, kHeight = 200;   // nsizeMainX, nsizeMainY
constexpr int kChartId = 5000;
constexpr int32_t kDate = 20240105;

// The display properties, none at its default and no two colours alike.
const std::map<std::string, std::string> kDisplay{
    {"crMainBackGround", "0xC8E8D8"},
    {"crValueBackGround", "0xF8E0F0"},
    {"crVolumeBackGround", "0xF0F8E8"},
    {"crBoxLine", "0x804020"},
    {"crValueText", "0x102060"},
    {"crVolumeText", "0x206010"},
    {"crTime", "0x701070"},
    {"crValueHorizonalLine", "0xE0C0A0"},
    {"crVolumeHorizonalLine", "0xB0A0C0"},
    {"crStick", "0xB0B030"},
    {"crHighCandle", "0xD02020"},
    {"crLowCandle", "0x3030C0"},
    {"crCurrentBarBackGround", "0xF8F8D0"},
    {"crCurrentBarText", "0x705010"},
    {"crCurrentBarUpLine", "0x50A050"},
    {"crCurrentBarDownLine", "0x305090"},
    {"crToolTipBackGround", "0xFFF0C8"},
    {"crToolTipOutLine", "0xC06040"},
    {"crToolTipText", "0x00A000"},
    {"nsizeGapX", "9"},
    {"nsizeGapY", "7"},
    {"strType", "ENG"},
    {"nIsToolTip", "0"},
    {"nIsCurrentBar", "0"},
};

// A PARAM list: every value is text, converted to what the control asks for.
class ParamBag : public IPropertyBag {
public:
    std::map<std::wstring, std::wstring> values;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        auto found = values.find(name);
        if (found == values.end()) return E_INVALIDARG;
        VARIANT text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(found->second.c_str());
        const HRESULT hr = v->vt == VT_EMPTY ? VariantCopy(v, &text) : VariantChangeType(v, &text, 0, v->vt);
        VariantClear(&text);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
};

// The settings as the page gives them (decimal, like markup), and the same
// values parsed by the table for the test's own expectations.
struct Page {
    ParamBag bag;
    ChartSettings settings;

    void Set(const std::string& name, const std::string& text) {
        const PropertyInfo& p = *FindProperty(name);
        ASSERT_FALSE(SetPropertyText(settings, p, text)) << name;
        const std::string decimal = p.string ? text : std::to_string(settings.*p.number);
        bag.values[Wide(name)] = Wide(decimal);
    }
};

// A client-area copy of a window as the screen shows it, as COLORREFs.
class Picture {
public:
    explicit Picture(HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        ClientDC screen(window);
        MemoryDC mem(screen);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        Bitmap dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dib || !bits) return;
        SelectGuard guard(mem, dib);
        BitBlt(mem, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i)   // 0x00RRGGBB to 0x00BBGGRR
            pixels.push_back(static_cast<int32_t>(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF)));
    }

    // A colour reference as the properties hold it; -1 outside the picture.
    int32_t At(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[size_t(y) * width + x] : -1;
    }
    int Count(const Rect& r, int32_t colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
        return n;
    }

    int width = 0, height = 0;
    std::vector<int32_t> pixels;
};

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxAttachControlFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

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

// The tooltip: the one topmost tool window of the thread.
BOOL CALLBACK FindToolWindow(HWND window, LPARAM param) {
    const LONG tipStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    if ((GetWindowLongW(window, GWL_EXSTYLE) & tipStyle) != tipStyle) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// Runs posted messages, paints and timers until `done` holds or `ms` pass.
bool PumpUntil(const std::function<bool()>& done, int ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(ms));
    return done();
}

class SettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        HMODULE atl = LoadLibraryW(L"atl.dll");
        auto init = atl ? Export<AtlAxWinInitFn>(atl, "AtlAxWinInit") : nullptr;
        attach = atl ? Export<AtlAxAttachControlFn>(atl, "AtlAxAttachControl") : nullptr;
        ready = init && attach && init();
    }

    void SetUp() override {
        ASSERT_TRUE(ready) << "Wine's atl.dll with AtlAxWinInit and AtlAxAttachControl";
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        SetCursorPos(0, 0);   // away from the chart until a test hovers it
        std::vector<TickRecord> ticks = MakeTicks(kDate, 50);
        // Volumes above ten thousand: the volume labels differ by language.
        for (size_t i = 0; i < ticks.size(); ++i) ticks[i].volume = 20000 + int32_t(i % 9) * 17000;
        server.Serve("/sisefile/info/005930.dat", InfoFile(MakeInfo("005930", kDate)));
        server.Serve("/sisefile/Date/005930.dat", DataFile(ticks));
    }

    void TearDown() override {
        Close();
        OleUninitialize();
    }

    // The container closes the control and lets go of it.
    void Close() {
        SetCursorPos(0, 0);
        if (window) DestroyWindow(window);
        PumpUntil([] { return false; }, 50);
        if (container) container->Release();
        control.Reset();
        window = nullptr;
        container = nullptr;
    }

    // A page with every display property of kDisplay, `overrides` on top.
    void MakePage(Page& page, const std::map<std::string, std::string>& overrides = {}) {
        page.Set("strCode", "005930");
        page.Set("strChartUrl", server.Host());
        page.Set("nsizeMainX", std::to_string(kWidth));
        page.Set("nsizeMainY", std::to_string(kHeight));
        for (const auto& [name, value] : kDisplay) page.Set(name, overrides.count(name) ? overrides.at(name) : value);
    }

    // Loads the page into a new control and lets the container show it;
    // returns the chart window.
    HWND Show(Page& page) {
        control = ocx.NewControl();
        if (!control) return nullptr;
        auto persist = As<IPersistPropertyBag>(control.Get(), IID_IPersistPropertyBag);
        if (!persist || FAILED(persist->Load(&page.bag, nullptr))) return nullptr;
        window = CreateWindowExW(0, L"AtlAxWin", L"", WS_POPUP | WS_VISIBLE, 40, 40, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        if (!window || FAILED(attach(control.Get(), window, &container))) return nullptr;
        ChildSearch search{kChartId, nullptr};
        EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
        PumpUntil([] { return false; }, 200);   // paint
        return search.found;
    }

    static HWND ToolWindow() {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindToolWindow, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    static inline bool ready = false;
    static inline AtlAxAttachControlFn attach = nullptr;
    OcxModule ocx;
    TestHttpServer server;
    ComPtr<IDispatch> control;
    HWND window = nullptr;
    IUnknown* container = nullptr;
};

}   // namespace

TEST_F(SettingsTest, EveryColourAndGapIsWhereItBelongs) {
    Page page;
    MakePage(page, {{"nIsToolTip", "2"}, {"nIsCurrentBar", "1"}});   // strip on; tooltip checked below
    if (HasFatalFailure()) return;
    HWND chart = Show(page);
    ASSERT_NE(nullptr, chart);
    const Picture pic(chart);
    ASSERT_EQ(kWidth, pic.width);
    ASSERT_EQ(kHeight, pic.height);

    const ChartSettings& s = page.settings;
    const PaneLayout layout = ComputePaneLayout({0, 0, kWidth, kHeight}, {s.nsizeGapX, s.nsizeGapY, 1, 19});
    const Rect value = layout.value, volume = layout.volume;
    const int strip = 19;
    const int midX = (value.left + value.right) / 2;
    const int midVolumeY = (volume.top + volume.bottom) / 2;

    // The gaps: the frame starts nsizeGapX from the left and nsizeGapY under the strip.
    EXPECT_EQ(strip + 7, value.top);
    EXPECT_EQ(9, value.left);
    EXPECT_EQ(s.crBoxLine, pic.At(midX, value.top));
    EXPECT_EQ(s.crMainBackGround, pic.At(midX, value.top - 1));
    EXPECT_EQ(s.crBoxLine, pic.At(value.left, midVolumeY));
    EXPECT_EQ(s.crMainBackGround, pic.At(value.left - 1, midVolumeY));
    EXPECT_EQ(s.crBoxLine, pic.At(volume.right - 1, midVolumeY));

    // Each colour inside the area it paints.
    struct Where {
        const char* name;
        Rect area;
    };
    const Where where[] = {
        {"crMainBackGround", {0, strip, kWidth, value.top}},
        {"crValueBackGround", {value.left + 1, value.bottom + 1, value.right - 1, volume.top}},
        {"crVolumeBackGround", {volume.left + 1, volume.top + 1, volume.right - 1, volume.bottom - 1}},
        {"crValueText", {value.right + 1, value.top - 5, value.right + 44, value.bottom - 8}},
        {"crVolumeText", {volume.right + 1, volume.top - 5, volume.right + 44, volume.bottom + 8}},
        {"crTime", {volume.left, volume.bottom, volume.right + 15, kHeight}},
        {"crValueHorizonalLine", {value.left + 1, value.top, value.left + 2, value.bottom + 1}},
        {"crVolumeHorizonalLine", {volume.left + 1, volume.top, volume.left + 2, volume.bottom}},
        {"crStick", {volume.left, volume.top, volume.right, volume.bottom}},
        {"crHighCandle", {value.left, value.top, value.right, value.bottom}},
        {"crLowCandle", {value.left, value.top, value.right, value.bottom}},
        {"crCurrentBarBackGround", {0, 1, kWidth - 1, strip - 1}},
        {"crCurrentBarText", {0, 1, kWidth - 1, strip - 1}},
    };
    for (const Where& w : where) EXPECT_GT(pic.Count(w.area, s.*FindProperty(w.name)->number), 0) << w.name;
    // The strip's edges: the whole top row, the bottom row and the right column.
    EXPECT_EQ(kWidth, pic.Count({0, 0, kWidth, 1}, s.crCurrentBarUpLine));
    EXPECT_EQ(kWidth, pic.Count({0, strip - 1, kWidth, strip}, s.crCurrentBarDownLine));
    EXPECT_EQ(strip - 2, pic.Count({kWidth - 1, 1, kWidth, strip - 1}, s.crCurrentBarDownLine));
    // No display colour kept its default.
    for (const PropertyInfo& p : PropertyTable()) {
        if (p.type == PropType::Colour && p.defaultNumber != 0) {
            EXPECT_EQ(0, pic.Count({0, 0, kWidth, kHeight}, p.defaultNumber)) << p.name << " default in the picture";
        }
    }
}

TEST_F(SettingsTest, EnglishChangesTheVolumeLabelsAlone) {
    Page english, other;
    MakePage(english);
    MakePage(other, {{"strType", "eng"}});   // only exactly "ENG" is English
    if (HasFatalFailure()) return;
    HWND chart = Show(english);
    ASSERT_NE(nullptr, chart);
    const Picture a(chart);
    Close();
    chart = Show(other);
    ASSERT_NE(nullptr, chart);
    const Picture b(chart);
    ASSERT_EQ(a.pixels.size(), b.pixels.size());

    const ChartSettings& s = english.settings;
    const Rect volume = ComputePaneLayout({0, 0, kWidth, kHeight}, {s.nsizeGapX, s.nsizeGapY, 0, 19}).volume;
    const Rect labels{volume.right + 1, volume.top - 5, volume.right + 44, volume.bottom + 8};
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) == b.At(x, y)) continue;
            ++differing;
            EXPECT_TRUE(x >= labels.left && x < labels.right && y >= labels.top && y < labels.bottom)
                << "difference outside the volume labels at " << x << "," << y;
        }
    EXPECT_GT(differing, 0) << "strType ENG did not reach the chart";
}

TEST_F(SettingsTest, SwitchesOffLeaveNoStripAndNoTooltip) {
    Page page;
    MakePage(page);   // nIsCurrentBar 0, nIsToolTip 0
    if (HasFatalFailure()) return;
    HWND chart = Show(page);
    ASSERT_NE(nullptr, chart);
    const ChartSettings& s = page.settings;
    const Rect value = ComputePaneLayout({0, 0, kWidth, kHeight}, {s.nsizeGapX, s.nsizeGapY, 0, 19}).value;
    const Picture pic(chart);
    // No room kept for the strip: the frame starts nsizeGapY from the top.
    EXPECT_EQ(7, value.top);
    EXPECT_EQ(s.crBoxLine, pic.At((value.left + value.right) / 2, value.top));
    EXPECT_EQ(kWidth * value.top, pic.Count({0, 0, kWidth, value.top}, s.crMainBackGround));
    for (const char* name :
         {"crCurrentBarBackGround", "crCurrentBarText", "crCurrentBarUpLine", "crCurrentBarDownLine"})
        EXPECT_EQ(0, pic.Count({0, 0, kWidth, kHeight}, s.*FindProperty(name)->number)) << name;

    // Hovering the chart shows no tooltip: none was created.
    POINT p{(value.left + value.right) / 2, value.bottom - 10};
    ClientToScreen(chart, &p);
    SetCursorPos(p.x, p.y);
    EXPECT_FALSE(PumpUntil([] { return ToolWindow() != nullptr; }, 600));
}

TEST_F(SettingsTest, TooltipUnderTheCursorHasItsColours) {
    Page page;
    MakePage(page, {{"nIsToolTip", "1"}});
    if (HasFatalFailure()) return;
    HWND chart = Show(page);
    ASSERT_NE(nullptr, chart);
    const ChartSettings& s = page.settings;
    const Rect value = ComputePaneLayout({0, 0, kWidth, kHeight}, {s.nsizeGapX, s.nsizeGapY, 0, 19}).value;
    POINT p{value.left + 40, value.bottom - 10};
    ClientToScreen(chart, &p);
    SetCursorPos(p.x, p.y);
    // The tooltip's window is made by the first hover.
    HWND tip = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (tip = ToolWindow()) && IsWindowVisible(tip); }, 2000))
        << "the tooltip did not appear";
    PumpUntil([] { return false; }, 200);

    const Picture pic(tip);
    ASSERT_GT(pic.width, 20);
    EXPECT_EQ(s.crToolTipOutLine, pic.At(0, 0));
    EXPECT_EQ(s.crToolTipOutLine, pic.At(pic.width - 1, pic.height - 1));
    EXPECT_EQ(s.crToolTipBackGround, pic.At(3, 3));
    // crToolTipText only starts the text colour; the text's segments are black.
    EXPECT_GT(pic.Count({2, 2, pic.width - 2, pic.height - 2}, 0x000000), 0);
    EXPECT_EQ(0, pic.Count({0, 0, pic.width, pic.height}, s.crToolTipText));
}
