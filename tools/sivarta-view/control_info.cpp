#include "control_info.h"

#include <oleauto.h>

#include "control_host.h"

namespace {

struct InfoMethod {
    const char* label;
    const wchar_t* name;
};

constexpr InfoMethod kMethods[] = {
    {"code", L"GetStockCode"}, {"name", L"GetStockName"},         {"date", L"GetStockDate"},
    {"time", L"GetStockTime"}, {"current", L"GetStockCurrentga"}, {"change", L"GetStockChange"},
};

// Calls a method without arguments by name and renders its result as text.
HRESULT CallForText(IDispatch* control, const wchar_t* name, std::string& text) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;

    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
    if (SUCCEEDED(hr)) {
        if (V_VT(&result) == VT_BSTR) {
            text = ToUtf8(V_BSTR(&result), static_cast<int>(SysStringLen(V_BSTR(&result))));
        } else if (SUCCEEDED(hr = VariantChangeType(&result, &result, 0, VT_I4))) {
            text = std::to_string(V_I4(&result));
        }
    }
    VariantClear(&result);
    return hr;
}

}   // namespace

std::string ToUtf8(const wchar_t* text, int length) {
    if (!text || length == 0) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    if (length < 0 && !result.empty()) result.pop_back();   // the converted terminator
    return result;
}

bool ReadControlInfo(IDispatch* control, std::string& lines, std::string& error) {
    for (const InfoMethod& method : kMethods) {
        std::string text;
        HRESULT hr = CallForText(control, method.name, text);
        if (FAILED(hr)) {
            error = "calling " + ToUtf8(method.name) + " failed: " + DescribeHResult(hr);
            return false;
        }
        lines += std::string(method.label) + "=" + text + "\n";
    }
    return true;
}
