// Automation of CSivartaCtrl: the dispatch table (the settings table's
// properties, then the methods; the type library repeats the DISPIDs), the
// methods and the about box.
#include <string_view>
#include <type_traits>
#include <vector>

#include "chart/settings_table.h"
#include "activex/control/sivarta_ctrl.h"
#include "activex/framework/dispatch_table.h"
#include "activex/res/resource.h"

namespace {

using C = CSivartaCtrl;
using Table = DispatchTable<C, ChartSettings>;
using E = Table::Entry;

E Method(const wchar_t* name, DISPID id, HRESULT (C::*method)(DISPPARAMS*, VARIANT*), UINT params = 0) {
    return {name, id, nullptr, nullptr, nullptr, method, params};
}

// The thirty properties come from the settings table (their DISPIDs are their
// positions), the methods follow them.
std::vector<E> Entries() {
    std::vector<E> entries;
    for (const PropertyInfo& p : PropertyTable()) {
        const std::string_view name = p.name;   // ASCII
        entries.push_back(
            {std::wstring(name.begin(), name.end()), p.dispid, p.string, p.number, &C::OnPropertyChanged, nullptr, 0});
    }
    entries.push_back(Method(L"StratGraph", 31, &C::StratGraph, 1));
    entries.push_back(Method(L"GetStockCode", 32, &C::GetStockCode));
    entries.push_back(Method(L"GetStockName", 33, &C::GetStockName));
    entries.push_back(Method(L"GetStockDate", 34, &C::GetStockDate));
    entries.push_back(Method(L"GetStockTime", 35, &C::GetStockTime));
    entries.push_back(Method(L"GetStockCurrentga", 36, &C::GetStockCurrentga));
    entries.push_back(Method(L"GetStockChange", 37, &C::GetStockChange));
    entries.push_back(Method(L"AboutBox", DISPID_ABOUTBOX, &C::AboutBox));
    return entries;
}

const Table& DispTable() {
    static const Table table(Entries(), &C::settings);
    return table;
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

}   // namespace

HRESULT CSivartaCtrl::DispGetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    return DispTable().GetIDsOfNames(names, count, ids);
}

HRESULT CSivartaCtrl::DispInvoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) {
    return DispTable().Invoke(*this, id, flags, params, result, argErr);
}

HRESULT CSivartaCtrl::StratGraph(DISPPARAMS*, VARIANT*) {
    return S_OK;
}

HRESULT CSivartaCtrl::GetStockCode(DISPPARAMS*, VARIANT* result) {
    return ReturnText(loader.Core().InfoCode(), result);
}

HRESULT CSivartaCtrl::GetStockName(DISPPARAMS*, VARIANT* result) {
    return ReturnText(loader.Core().InfoName(), result);
}

HRESULT CSivartaCtrl::GetStockDate(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.Core().Info().date, result);
}

HRESULT CSivartaCtrl::GetStockTime(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.Core().Info().time, result);
}

HRESULT CSivartaCtrl::GetStockCurrentga(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.Core().Info().current, result);
}

HRESULT CSivartaCtrl::GetStockChange(DISPPARAMS*, VARIANT* result) {
    return ReturnI4(loader.Core().Info().change, result);
}

HRESULT CSivartaCtrl::AboutBox(DISPPARAMS*, VARIANT*) {
    DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUTBOX_SIVARTA), nullptr, &AboutProc, 0);
    return S_OK;
}
