// ReadyInfoSink: the host's handler of the control's event interface. It is
// connected through IConnectionPointContainer before the control's window
// exists, so it sees the ReadyInfo that window creation fires.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>

class ReadyInfoSink final : public IDispatch {
public:
    // Called on every ReadyInfo, inside the control's window creation, as a
    // page script's handler would be.
    explicit ReadyInfoSink(std::function<void()> onReady);

    int ReadyCount() const { return readyCount; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    ~ReadyInfoSink() = default;

    LONG refs = 1;
    int readyCount = 0;
    std::function<void()> onReady;
};
