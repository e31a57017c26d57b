// ClassFactory: one static factory per creatable class. Creating an object
// calls the class's create function, which returns a new object holding one
// reference (or nullptr when out of memory).
#pragma once

#include <windows.h>
#include <unknwn.h>

class ClassFactory : public IClassFactory {
public:
    using CreateFn = IUnknown* (*)();
    ClassFactory(const CLSID& clsid, CreateFn create) : clsid(clsid), create(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }   // static lifetime
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    const CLSID& clsid;

private:
    CreateFn create;
};
