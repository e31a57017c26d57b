#include "event_sink.h"

#include <utility>

#include "sivarta_h.h"

namespace {
constexpr DISPID kDispidReadyInfo = 1;
}

ReadyInfoSink::ReadyInfoSink(std::function<void()> onReady) : onReady(std::move(onReady)) {}

STDMETHODIMP ReadyInfoSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(_DSivartaEvents)) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ReadyInfoSink::AddRef() {
    return InterlockedIncrement(&refs);
}

STDMETHODIMP_(ULONG) ReadyInfoSink::Release() {
    ULONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP ReadyInfoSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ReadyInfoSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ReadyInfoSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP ReadyInfoSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (result) VariantInit(result);
    if (id != kDispidReadyInfo) return DISP_E_MEMBERNOTFOUND;
    ++readyCount;
    if (onReady) onReady();
    return S_OK;
}
