// Automation of CSivartaCtrl: the dispatch table (DISPIDs are the table
// positions; the type library repeats them), the methods and the about box.
#include <array>
#include <type_traits>

#include "control/sivarta_ctrl.h"
#include "control/stock_text.h"
#include "framework/dispatch_table.h"
#include "res/resource.h"

namespace {

using E = DispEntry<CSivartaCtrl>;
using C = CSivartaCtrl;
constexpr auto kNotify = &C::OnPropertyChanged;

E Str(const wchar_t* name, DISPID id, std::string C::*field) {
    return {name, id, field, nullptr, kNotify, nullptr, 0};
}
E Int(const wchar_t* name, DISPID id, int32_t C::*field) {
    return {name, id, nullptr, field, kNotify, nullptr, 0};
}
E Method(const wchar_t* name, DISPID id, HRESULT (C::*method)(DISPPARAMS*, VARIANT*), UINT params = 0) {
    return {name, id, nullptr, nullptr, nullptr, method, params};
}

const std::array<E, 38> kEntries{
    Str(L"strURL", 1, &C::strURL),
    Str(L"strCode", 2, &C::strCode),
    Int(L"nsizeMainX", 3, &C::nsizeMainX),
    Int(L"nsizeMainY", 4, &C::nsizeMainY),
    Int(L"crMainBackGround", 5, &C::crMainBackGround),
    Int(L"crValueBackGround", 6, &C::crValueBackGround),
    Int(L"crVolumeBackGround", 7, &C::crVolumeBackGround),
    Int(L"crBoxLine", 8, &C::crBoxLine),
    Int(L"nIsToolTip", 9, &C::nIsToolTip),
    Int(L"nIsCurrentBar", 10, &C::nIsCurrentBar),
    Int(L"nsizeGapX", 11, &C::nsizeGapX),
    Int(L"nsizeGapY", 12, &C::nsizeGapY),
    Int(L"crValueText", 13, &C::crValueText),
    Int(L"crVolumeText", 14, &C::crVolumeText),
    Int(L"crTime", 15, &C::crTime),
    Int(L"crValueHorizonalLine", 16, &C::crValueHorizonalLine),
    Int(L"crVolumeHorizonalLine", 17, &C::crVolumeHorizonalLine),
    Int(L"crStick", 18, &C::crStick),
    Int(L"crHighCandle", 19, &C::crHighCandle),
    Int(L"crLowCandle", 20, &C::crLowCandle),
    Int(L"crCurrentBarBackGround", 21, &C::crCurrentBarBackGround),
    Int(L"crCurrentBarText", 22, &C::crCurrentBarText),
    Int(L"crCurrentBarUpLine", 23, &C::crCurrentBarUpLine),
    Int(L"crCurrentBarDownLine", 24, &C::crCurrentBarDownLine),
    Int(L"crToolTipBackGround", 25, &C::crToolTipBackGround),
    Int(L"crToolTipOutLine", 26, &C::crToolTipOutLine),
    Int(L"crToolTipText", 27, &C::crToolTipText),
    Str(L"strType", 28, &C::strType),
    Str(L"strChartUrl", 29, &C::strChartUrl),
    Str(L"strClickAction", 30, &C::strClickAction),
    Method(L"StratGraph", 31, &C::StratGraph, 1),
    Method(L"GetStockCode", 32, &C::GetStockCode),
    Method(L"GetStockName", 33, &C::GetStockName),
    Method(L"GetStockDate", 34, &C::GetStockDate),
    Method(L"GetStockTime", 35, &C::GetStockTime),
    Method(L"GetStockCurrentga", 36, &C::GetStockCurrentga),
    Method(L"GetStockChange", 37, &C::GetStockChange),
    Method(L"AboutBox", DISPID_ABOUTBOX, &C::AboutBox),
};

const DispatchTable<CSivartaCtrl>& Table() {
    static const DispatchTable<CSivartaCtrl> table(kEntries);
    return table;
}

bool IsKoreanLeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(949, byte) != FALSE;
}

HRESULT ReturnText(const std::string& text, VARIANT* result) {
    if (!result) return S_OK;
    result->bstrVal = AnsiToBstr(text);
    if (!result->bstrVal) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    return S_OK;
}

HRESULT ReturnI4(int32_t value, VARIANT* result) {
    if (result) {
        result->vt = VT_I4;
        result->lVal = value;
    }
    return S_OK;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
static_assert(std::is_same_v<decltype(&AboutProc), DLGPROC>);

}  // namespace

HRESULT CSivartaCtrl::DispGetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    return Table().GetIDsOfNames(names, count, ids);
}

HRESULT CSivartaCtrl::DispInvoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) {
    return Table().Invoke(*this, id, flags, params, result, argErr);
}

HRESULT CSivartaCtrl::StratGraph(DISPPARAMS*, VARIANT*) {
    return S_OK;
}

HRESULT CSivartaCtrl::GetStockCode(DISPPARAMS*, VARIANT* result) {
    return ReturnText(FieldText(loader.info.code, sizeof loader.info.code, &IsKoreanLeadByte), result);
}

HRESULT CSivartaCtrl::GetStockName(DISPPARAMS*, VARIANT* result) {
    return ReturnText(FieldText(loader.info.name, sizeof loader.info.name, &IsKoreanLeadByte), result);
}

HRESULT CSivartaCtrl::GetStockDate(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.info.date, result);
}

HRESULT CSivartaCtrl::GetStockTime(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.info.time, result);
}

HRESULT CSivartaCtrl::GetStockCurrentga(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.info.current, result);
}

HRESULT CSivartaCtrl::GetStockChange(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.info.change, result);
}

HRESULT CSivartaCtrl::AboutBox(DISPPARAMS*, VARIANT*) {
    DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUTBOX_SIVARTA), nullptr, &AboutProc, 0);
    return S_OK;
}
