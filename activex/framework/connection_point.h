// ConnectionPoints: IConnectionPointContainer with one connection point for
// the control's event interface. Firing an event is IDispatch::Invoke on
// every sink connected at that moment; their results are ignored.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "activex/framework/com_ptr.h"

class EventConnectionPoint : public IConnectionPoint {
public:
    // `container` is the object the point belongs to; its reference count
    // carries this point's lifetime.
    EventConnectionPoint(IConnectionPointContainer* container, const IID& eventIid)
        : container(container), eventIid(eventIid) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    // Delivers the event to every sink connected when it starts.
    void Fire(DISPID id);

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> dispatch;
    };
    IConnectionPointContainer* container;
    const IID& eventIid;
    std::vector<Sink> sinks;
    DWORD nextCookie = 1;
};
