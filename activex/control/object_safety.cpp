// IObjectSafety: the control is safe for scripting through IDispatch and for
// initialisation through its four persistence interfaces. Options are only
// accepted or refused, never stored.
#include "activex/control/sivarta_ctrl.h"

namespace {

constexpr DWORD kSupported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

bool IsPersistence(REFIID iid) {
    return iid == IID_IPersistPropertyBag || iid == IID_IPersistStreamInit || iid == IID_IPersistStorage ||
           iid == IID_IPersistMemory;
}

}   // namespace

void* CSivartaCtrl::FindExtraInterface(REFIID iid) {
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(&objectSafety);
    return nullptr;
}

STDMETHODIMP CSivartaCtrl::ObjectSafety::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    *supported = kSupported;
    *enabled = 0;
    if (!owner.FindInterface(iid)) return E_NOINTERFACE;
    if (iid == IID_IDispatch) {
        *enabled = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
        return S_OK;
    }
    if (IsPersistence(iid)) {
        *enabled = INTERFACESAFE_FOR_UNTRUSTED_DATA;
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP CSivartaCtrl::ObjectSafety::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
    if (mask == 0 && enabled == 0) return S_OK;
    if (!owner.FindInterface(iid)) return E_FAIL;
    if (iid == IID_IDispatch)
        return (mask == INTERFACESAFE_FOR_UNTRUSTED_CALLER && enabled == INTERFACESAFE_FOR_UNTRUSTED_CALLER) ? S_OK
                                                                                                             : E_FAIL;
    if (IsPersistence(iid))
        return (mask == INTERFACESAFE_FOR_UNTRUSTED_DATA && enabled == INTERFACESAFE_FOR_UNTRUSTED_DATA) ? S_OK
                                                                                                         : E_FAIL;
    return E_FAIL;
}
