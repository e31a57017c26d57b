#include "win/support/control_client.h"

#include <gtest/gtest.h>

#include "activex/res/sivarta_ids.h"

const std::vector<std::wstring> kPropertyNames{L"strURL",
                                               L"strCode",
                                               L"nsizeMainX",
                                               L"nsizeMainY",
                                               L"crMainBackGround",
                                               L"crValueBackGround",
                                               L"crVolumeBackGround",
                                               L"crBoxLine",
                                               L"nIsToolTip",
                                               L"nIsCurrentBar",
                                               L"nsizeGapX",
                                               L"nsizeGapY",
                                               L"crValueText",
                                               L"crVolumeText",
                                               L"crTime",
                                               L"crValueHorizonalLine",
                                               L"crVolumeHorizonalLine",
                                               L"crStick",
                                               L"crHighCandle",
                                               L"crLowCandle",
                                               L"crCurrentBarBackGround",
                                               L"crCurrentBarText",
                                               L"crCurrentBarUpLine",
                                               L"crCurrentBarDownLine",
                                               L"crToolTipBackGround",
                                               L"crToolTipOutLine",
                                               L"crToolTipText",
                                               L"strType",
                                               L"strChartUrl",
                                               L"strClickAction"};

bool IsStringProperty(const std::wstring& name) {
    return name.rfind(L"str", 0) == 0;
}

OcxModule::OcxModule() {
    CoInitialize(nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring ocx(path);
    ocx = ocx.substr(0, ocx.find_last_of(L'\\') + 1) + L"SIVARTA.OCX";
    module = LoadLibraryW(ocx.c_str());
    if (!module) return;
    getClassObject = reinterpret_cast<decltype(getClassObject)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    canUnloadNow =
        reinterpret_cast<decltype(canUnloadNow)>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
}

OcxModule::~OcxModule() {
    if (module) FreeLibrary(module);
    CoUninitialize();
}

ComPtr<IClassFactory> OcxModule::Factory(REFCLSID clsid) const {
    ComPtr<IClassFactory> factory;
    if (getClassObject) getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
    return factory;
}

ComPtr<IDispatch> OcxModule::NewControl() const {
    ComPtr<IDispatch> control;
    if (ComPtr<IClassFactory> factory = Factory(CLSID_Sivarta))
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(control.Put()));
    return control;
}

HRESULT OcxModule::CanUnloadNow() const {
    return canUnloadNow ? canUnloadNow() : E_FAIL;
}

DISPID IdOf(IDispatch* control, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

namespace {
HRESULT Put(IDispatch* control, const wchar_t* name, VARIANT& value) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    return control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                           nullptr, nullptr);
}

HRESULT Get(IDispatch* control, const wchar_t* name, WORD flags, VARIANT* result) {
    DISPPARAMS none{};
    VariantInit(result);
    return control->Invoke(IdOf(control, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result, nullptr, nullptr);
}

std::wstring TextOf(VARIANT& v) {
    std::wstring text;
    if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR))) text.assign(v.bstrVal, SysStringLen(v.bstrVal));
    VariantClear(&v);
    return text;
}
}   // namespace

HRESULT PutI4(IDispatch* control, const wchar_t* name, int32_t value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return Put(control, name, v);
}

HRESULT PutText(IDispatch* control, const wchar_t* name, const std::wstring& text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    HRESULT hr = Put(control, name, v);
    VariantClear(&v);
    return hr;
}

int32_t GetI4(IDispatch* control, const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(S_OK, Get(control, name, DISPATCH_PROPERTYGET, &v)) << name;
    EXPECT_EQ(VT_I4, v.vt) << name;
    return v.vt == VT_I4 ? v.lVal : INT32_MIN;
}

std::wstring GetText(IDispatch* control, const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(S_OK, Get(control, name, DISPATCH_PROPERTYGET, &v)) << name;
    EXPECT_EQ(VT_BSTR, v.vt) << name;
    return TextOf(v);
}

HRESULT Call(IDispatch* control, const wchar_t* name, VARIANT* result) {
    return Get(control, name, DISPATCH_METHOD, result);
}

std::wstring CallText(IDispatch* control, const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(S_OK, Call(control, name, &v)) << name;
    EXPECT_EQ(VT_BSTR, v.vt) << name;
    return TextOf(v);
}

int32_t CallI4(IDispatch* control, const wchar_t* name) {
    VARIANT v;
    EXPECT_EQ(S_OK, Call(control, name, &v)) << name;
    EXPECT_EQ(VT_I4, v.vt) << name;
    return v.vt == VT_I4 ? v.lVal : INT32_MIN;
}

std::vector<std::wstring> Snapshot(IDispatch* control) {
    std::vector<std::wstring> state;
    for (const std::wstring& name : kPropertyNames) {
        std::wstring value =
            IsStringProperty(name) ? GetText(control, name.c_str()) : std::to_wstring(GetI4(control, name.c_str()));
        state.push_back(name + L"=" + value);
    }
    return state;
}

void SetAllProperties(IDispatch* control, int seed) {
    for (size_t i = 0; i < kPropertyNames.size(); ++i) {
        const wchar_t* name = kPropertyNames[i].c_str();
        if (IsStringProperty(kPropertyNames[i]))
            EXPECT_EQ(S_OK, PutText(control, name, L"s" + std::to_wstring(seed) + L"_" + kPropertyNames[i]));
        else
            EXPECT_EQ(S_OK, PutI4(control, name, seed * 1000 + static_cast<int32_t>(i) - 500));
    }
}

std::wstring Wide(const std::string& ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}
