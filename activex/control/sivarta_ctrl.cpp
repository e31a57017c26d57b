#include "activex/control/sivarta_ctrl.h"

#include <new>

#include "data/day_source.h"
#include "interact/click_through.h"
#include "activex/res/sivarta_ids.h"
#include "activex/res/resource.h"

namespace {

const OleControl::ClassInfo kClassInfo{
    CLSID_Sivarta,      DIID__DSivarta, DIID__DSivartaEvents,  LIBID_SIVARTALib, 1, 0,
    kSivartaMiscStatus, IDS_SIVARTA,    CLSID_SivartaPropPage,
};

}   // namespace

CSivartaCtrl::CSivartaCtrl() : OleControl(kClassInfo) {}

CSivartaCtrl::~CSivartaCtrl() = default;

IUnknown* CSivartaCtrl::Create() {
    auto* control = new (std::nothrow) CSivartaCtrl;
    return control ? static_cast<IOleObject*>(control) : nullptr;
}

LRESULT CSivartaCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case kClickMessage:
        return OnClickThrough(wParam, lParam);
    default:
        return OleControl::WindowProc(msg, wParam, lParam);
    }
}

int CSivartaCtrl::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;
    // The defaults go into the properties themselves, so a later save keeps
    // them; this is not a change the container has to save.
    if (settings.strChartUrl.empty()) settings.strChartUrl = DefaultHost();
    if (settings.strClickAction.empty()) settings.strClickAction = "Y";
    loader.strCode = settings.strCode;
    loader.strChartUrl = settings.strChartUrl;
    loader.chart.Model().settings = settings;

    // The whole load runs inside this creation; its outcome is not checked.
    // The downloads start first, to run while the windows are made.
    loader.StartFetch();
    const RECT area{0, 0, settings.nsizeMainX, settings.nsizeMainY};
    loader.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, area, m_hWnd, 0);
    if (loader.m_hWnd) ShowWindow(loader.m_hWnd, SW_SHOW);
    FireEvent(1);   // ReadyInfo
    return 0;
}

void CSivartaCtrl::OnDestroy() {
    loader.DestroyWindow();
    Default();
}

void CSivartaCtrl::OnDraw(HDC dc, const RECT& bounds) {
    FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

LRESULT CSivartaCtrl::OnClickThrough(WPARAM, LPARAM) {
    // Read at every click: a script may have changed it since the last one.
    if (auto command = ClickThroughCommand(settings.strURL, DefaultPage())) WinExec(command->c_str(), SW_SHOW);
    return 1;
}
