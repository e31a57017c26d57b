// ParamBag: the property bag a page's PARAM tags make. The control reads its
// persisted properties from it through IPersistPropertyBag::Load.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

class ParamBag final : public IPropertyBag {
public:
    // Values are UTF-16 strings, as in markup; Read converts to the type asked for.
    explicit ParamBag(std::vector<std::pair<std::wstring, std::wstring>> params);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IPropertyBag
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    ~ParamBag() = default;
    const std::wstring* Find(LPCOLESTR name) const;

    LONG refs = 1;
    std::vector<std::pair<std::wstring, std::wstring>> params;
};
