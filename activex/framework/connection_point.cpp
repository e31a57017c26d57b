#include "activex/framework/connection_point.h"

#include "activex/framework/com_enum.h"
#include "activex/framework/com_guard.h"
#include "activex/framework/variant.h"

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
    ComPtr<IDispatch> dispatch;
    if (FAILED(QueryInto(sink, eventIid, dispatch)) && FAILED(QueryInto(sink, IID_IDispatch, dispatch)))
        return CONNECT_E_CANNOTCONNECT;
    // When the list cannot grow, `dispatch` still owns the reference.
    return GuardCall([&] {
        sinks.push_back({nextCookie, dispatch});
        *cookie = nextCookie++;
        return S_OK;
    });
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->cookie == cookie) {
            // Released after the list is consistent: the sink may call back.
            ComPtr<IDispatch> dispatch = std::move(it->dispatch);
            sinks.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return GuardCall([&] {
        std::vector<CONNECTDATA> connections;
        for (const Sink& s : sinks) connections.push_back({s.dispatch.Get(), s.cookie});
        return ConnectionEnum::Create(connections, 0, out);
    });
}

void EventConnectionPoint::Fire(DISPID id) {
    // A sink may unadvise (or advise) from inside its handler: fire on a copy.
    std::vector<ComPtr<IDispatch>> targets;
    for (const Sink& s : sinks) targets.push_back(s.dispatch);
    for (ComPtr<IDispatch>& target : targets) {
        DISPPARAMS none{};
        VariantValue result;
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result.Get(), nullptr, nullptr);
    }
}
