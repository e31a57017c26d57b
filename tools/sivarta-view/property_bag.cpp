#include "property_bag.h"

#include <oleauto.h>

ParamBag::ParamBag(std::vector<std::pair<std::wstring, std::wstring>> params) : params(std::move(params)) {}

STDMETHODIMP ParamBag::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ParamBag::AddRef() {
    return InterlockedIncrement(&refs);
}

STDMETHODIMP_(ULONG) ParamBag::Release() {
    ULONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return left;
}

const std::wstring* ParamBag::Find(LPCOLESTR name) const {
    const std::wstring* found = nullptr;
    // Names compare without case, as attribute names do in markup; the last tag wins.
    for (const auto& [key, value] : params)
        if (CompareStringOrdinal(key.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) found = &value;
    return found;
}

STDMETHODIMP ParamBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog) {
    if (!name || !value) return E_POINTER;
    const std::wstring* text = Find(name);
    if (!text) return E_INVALIDARG;   // absent: the property keeps its value

    VARTYPE wanted = V_VT(value);
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (!V_BSTR(&source)) return E_OUTOFMEMORY;

    HRESULT hr = S_OK;
    if (wanted == VT_EMPTY || wanted == VT_BSTR) {
        *value = source;   // ownership moves to the caller
        return S_OK;
    }
    VariantInit(value);
    hr = VariantChangeType(value, &source, 0, wanted);
    VariantClear(&source);
    if (FAILED(hr) && errorLog) {
        EXCEPINFO info{};
        info.scode = hr;
        errorLog->AddError(name, &info);
    }
    return hr;
}

STDMETHODIMP ParamBag::Write(LPCOLESTR, VARIANT*) {
    return E_NOTIMPL;   // a page's tags are read-only
}
