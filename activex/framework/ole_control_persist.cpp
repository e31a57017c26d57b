// OleControl: the persistence interfaces. Every one of them runs the derived
// class's DoPropExchange and hands the entry list to the medium.
#include "activex/framework/ole_control.h"

#include <cstring>

#include "activex/framework/com_guard.h"

namespace {
const wchar_t kContents[] = L"Contents";
}

void OleControl::DoPropExchange(PropExchange& px) {
    px.ExchangeI4("_ExtentX", extentX);
    px.ExchangeI4("_ExtentY", extentY);
    px.ExchangeI4("_StockProps", stockProps);
}

void OleControl::OnResetState() {
    PropExchange px;
    DoPropExchange(px);
    px.Reset();
}

HRESULT OleControl::AfterLoad(HRESULT loaded) {
    if (SUCCEEDED(loaded)) {
        SetModifiedFlag(false);
        InvalidateControl();
    }
    return loaded;
}

STDMETHODIMP OleControl::GetClassID(CLSID* clsid) {
    return GetUserClassID(clsid);
}

STDMETHODIMP OleControl::IsDirty() {
    return modified ? S_OK : S_FALSE;
}

STDMETHODIMP OleControl::InitNew() {
    return GuardCall([&] {
        OnResetState();
        return S_OK;
    });
}

STDMETHODIMP OleControl::Load(IStream* stream) {
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        return AfterLoad(px.Load(stream));
    });
}

STDMETHODIMP OleControl::Save(IStream* stream, BOOL clearDirty) {
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        HRESULT hr = px.Save(stream);
        if (SUCCEEDED(hr) && clearDirty) SetModifiedFlag(false);
        return hr;
    });
}

STDMETHODIMP OleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        size->QuadPart = px.SaveSize();
        return S_OK;
    });
}

STDMETHODIMP OleControl::Load(IPropertyBag* bag, IErrorLog* log) {
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        return AfterLoad(px.Load(bag, log));
    });
}

STDMETHODIMP OleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        HRESULT hr = px.Save(bag);
        if (SUCCEEDED(hr) && clearDirty) SetModifiedFlag(false);
        return hr;
    });
}

STDMETHODIMP OleControl::InitNew(IStorage*) {
    return InitNew();
}

STDMETHODIMP OleControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
    return FAILED(hr) ? hr : Load(stream.Get());
}

STDMETHODIMP OleControl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put());
    return FAILED(hr) ? hr : Save(stream.Get(), TRUE);
}

STDMETHODIMP OleControl::SaveCompleted(IStorage*) {
    return S_OK;
}
STDMETHODIMP OleControl::HandsOffStorage() {
    return S_OK;
}

STDMETHODIMP OleControl::Load(LPVOID memory, ULONG size) {
    if (!memory) return E_POINTER;
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        MemorySource source(memory, size);
        return AfterLoad(px.Load(source));
    });
}

STDMETHODIMP OleControl::Save(LPVOID memory, BOOL clearDirty, ULONG size) {
    if (!memory) return E_POINTER;
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        std::vector<uint8_t> bytes = px.SaveBytes();
        if (bytes.empty()) return E_FAIL;
        if (bytes.size() > size) return STG_E_MEDIUMFULL;
        memcpy(memory, bytes.data(), bytes.size());
        if (clearDirty) SetModifiedFlag(false);
        return S_OK;
    });
}

STDMETHODIMP OleControl::GetSizeMax(ULONG* size) {
    if (!size) return E_POINTER;
    return GuardCall([&] {
        PropExchange px;
        DoPropExchange(px);
        uint64_t bytes = px.SaveSize();
        *size = bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ULONG>(bytes);
        return S_OK;
    });
}
