#include "control/sivarta_ctrl.h"

#include <new>

#include "control/click_through.h"
#include "control/sivarta_ids.h"
#include "res/resource.h"

namespace {

const OleControl::ClassInfo kClassInfo{
    CLSID_Sivarta, DIID__DSivarta, DIID__DSivartaEvents, LIBID_SIVARTALib, 1, 0,
    kSivartaMiscStatus, IDS_SIVARTA, CLSID_SivartaPropPage,
};

}  // namespace

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

void CSivartaCtrl::CopySettingsToChart() {
    ChartWnd& chart = loader.chart;
    chart.crMainBackGround = static_cast<COLORREF>(crMainBackGround);
    chart.crValueBackGround = static_cast<COLORREF>(crValueBackGround);
    chart.crVolumeBackGround = static_cast<COLORREF>(crVolumeBackGround);
    chart.crBoxLine = static_cast<COLORREF>(crBoxLine);
    chart.nIsToolTip = nIsToolTip;
    chart.nIsCurrentBar = nIsCurrentBar;
    chart.nsizeGapX = nsizeGapX;
    chart.nsizeGapY = nsizeGapY;
    chart.crValueText = static_cast<COLORREF>(crValueText);
    chart.crVolumeText = static_cast<COLORREF>(crVolumeText);
    chart.crTime = static_cast<COLORREF>(crTime);
    chart.crValueHorizonalLine = static_cast<COLORREF>(crValueHorizonalLine);
    chart.crVolumeHorizonalLine = static_cast<COLORREF>(crVolumeHorizonalLine);
    chart.crStick = static_cast<COLORREF>(crStick);
    chart.crHighCandle = static_cast<COLORREF>(crHighCandle);
    chart.crLowCandle = static_cast<COLORREF>(crLowCandle);
    chart.crCurrentBarBackGround = static_cast<COLORREF>(crCurrentBarBackGround);
    chart.crCurrentBarText = static_cast<COLORREF>(crCurrentBarText);
    chart.crCurrentBarUpLine = static_cast<COLORREF>(crCurrentBarUpLine);
    chart.crCurrentBarDownLine = static_cast<COLORREF>(crCurrentBarDownLine);
    chart.crToolTipBackGround = static_cast<COLORREF>(crToolTipBackGround);
    chart.crToolTipOutLine = static_cast<COLORREF>(crToolTipOutLine);
    chart.crToolTipText = static_cast<COLORREF>(crToolTipText);
}

int CSivartaCtrl::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;
    loader.strCode = strCode;
    CopySettingsToChart();
    // The defaults go into the properties themselves, so a later save keeps
    // them; this is not a change the container has to save.
    if (strChartUrl.empty()) strChartUrl = SIVARTA_DEFAULT_HOST;
    loader.strChartUrl = strChartUrl;
    if (strClickAction.empty()) strClickAction = "Y";
    loader.chart.strClickAction = strClickAction;
    if (strType == "ENG") loader.chart.bIsEnglish = 1;

    // The whole load runs inside this creation; its outcome is not checked.
    loader.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, nsizeMainX, nsizeMainY}, m_hWnd, 0);
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
    if (auto command = ClickThroughCommand(strURL, SIVARTA_DEFAULT_PAGE)) WinExec(command->c_str(), SW_SHOW);
    return 1;
}
