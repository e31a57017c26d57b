#include "framework/connection_point.h"

EventConnectionPoint::~EventConnectionPoint() {
    for (Sink& s : sinks) s.dispatch->Release();
}

STDMETHODIMP EventConnectionPoint::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = eventIid;
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container;
    container->AddRef();
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // Script hosts hand in a plain IDispatch rather than the event interface.
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(eventIid, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    sinks.push_back({nextCookie, dispatch});
    *cookie = nextCookie++;
    return S_OK;
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->cookie == cookie) {
            IDispatch* dispatch = it->dispatch;
            sinks.erase(it);
            dispatch->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Fire(DISPID id) {
    // A sink may unadvise (or advise) from inside its handler: fire on a copy.
    std::vector<ComPtr<IDispatch>> targets;
    for (const Sink& s : sinks) targets.emplace_back(s.dispatch);
    for (ComPtr<IDispatch>& target : targets) {
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
        VariantClear(&result);
    }
}
