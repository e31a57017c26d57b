#include "control/sivarta_ctrl.h"

#include <new>

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
    chart.settings.crMainBackGround = crMainBackGround;
    chart.settings.crValueBackGround = crValueBackGround;
    chart.settings.crVolumeBackGround = crVolumeBackGround;
    chart.settings.crBoxLine = crBoxLine;
    chart.settings.nIsToolTip = nIsToolTip;
    chart.settings.nIsCurrentBar = nIsCurrentBar;
    chart.settings.nsizeGapX = nsizeGapX;
    chart.settings.nsizeGapY = nsizeGapY;
    chart.settings.crValueText = crValueText;
    chart.settings.crVolumeText = crVolumeText;
    chart.settings.crTime = crTime;
    chart.settings.crValueHorizonalLine = crValueHorizonalLine;
    chart.settings.crVolumeHorizonalLine = crVolumeHorizonalLine;
    chart.settings.crStick = crStick;
    chart.settings.crHighCandle = crHighCandle;
    chart.settings.crLowCandle = crLowCandle;
    chart.settings.crCurrentBarBackGround = crCurrentBarBackGround;
    chart.settings.crCurrentBarText = crCurrentBarText;
    chart.settings.crCurrentBarUpLine = crCurrentBarUpLine;
    chart.settings.crCurrentBarDownLine = crCurrentBarDownLine;
    chart.settings.crToolTipBackGround = crToolTipBackGround;
    chart.settings.crToolTipOutLine = crToolTipOutLine;
    chart.settings.crToolTipText = crToolTipText;
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
    loader.chart.settings.strClickAction = strClickAction;
    loader.chart.settings.strType = strType;

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
    std::string command = "iexplore.exe ";
    command += strURL.empty() ? std::string(SIVARTA_DEFAULT_PAGE) : strURL;
    WinExec(command.c_str(), SW_SHOW);
    return 1;
}
