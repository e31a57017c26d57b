#include "activex/framework/class_factory.h"

#include "activex/framework/com_guard.h"
#include "activex/framework/module_lock.h"

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return GuardCall([&] {
        IUnknown* object = create();
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(iid, ppv);
        object->Release();   // the caller's reference, if any, keeps it alive
        return hr;
    });
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleLock::Lock();
    else
        ModuleLock::Unlock();
    return S_OK;
}
