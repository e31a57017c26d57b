// Module entry points of SIVARTA.OCX: start-up, class objects, unload check
// and self-registration.
#include <windows.h>
#include <olectl.h>
#include <winsock2.h>

#include <type_traits>

#include "activex/control/registration.h"
#include "activex/control/sivarta_ctrl.h"
#include "activex/res/sivarta_ids.h"
#include "activex/control/sivarta_prop_page.h"
#include "activex/framework/class_factory.h"
#include "activex/framework/module_lock.h"
#include "activex/framework/wnd.h"
#include "activex/res/resource.h"

namespace {

// Windows Sockets start with the first object, never inside DllMain: the
// loader lock is held there, and a message box or WSAStartup under it can
// deadlock the host. It stays started until the process ends.
BOOL CALLBACK StartSocketsOnce(INIT_ONCE*, void*, void**) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) == 0) return TRUE;
    // The module's string table has no entry 104: say plainly what failed.
    char text[256];
    if (LoadStringA(ModuleInstance(), IDS_WINSOCK_INIT_FAILED, text, sizeof text) <= 0)
        lstrcpynA(text, "Windows Sockets could not be initialised.", sizeof text);
    MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return TRUE;
}

void StartSockets() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    static_assert(std::is_same_v<decltype(&StartSocketsOnce), PINIT_ONCE_FN>);
    InitOnceExecuteOnce(&once, &StartSocketsOnce, nullptr, nullptr);
}

IUnknown* CreateControl() {
    StartSockets();
    return CSivartaCtrl::Create();
}

IUnknown* CreatePropertyPage() {
    StartSockets();
    return CSivartaPropPage::Create();
}

ClassFactory controlFactory(CLSID_Sivarta, &CreateControl);
ClassFactory pageFactory(CLSID_SivartaPropPage, &CreatePropertyPage);

}   // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return ModuleLock::CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (ClassFactory* factory : {&controlFactory, &pageFactory})
        if (clsid == factory->clsid) return factory->QueryInterface(iid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    if (FAILED(RegisterTypeLibrary())) return SELFREG_E_TYPELIB;
    if (FAILED(RegisterClasses())) return SELFREG_E_CLASS;
    return S_OK;
}

STDAPI DllUnregisterServer() {
    if (FAILED(UnregisterTypeLibrary())) return SELFREG_E_TYPELIB;
    if (FAILED(UnregisterClasses())) return SELFREG_E_CLASS;
    return S_OK;
}

// 32-bit callers push the arguments and expect the export to remove them: a
// definition that lost its stdcall declaration would still link (stdcall
// fix-up) and break the caller's stack, so the types are checked here.
using DllMainFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
using SelfRegisterFn = HRESULT(STDAPICALLTYPE*)();
static_assert(std::is_same_v<decltype(&DllMain), DllMainFn>);
static_assert(std::is_same_v<decltype(&DllCanUnloadNow), LPFNCANUNLOADNOW>);
static_assert(std::is_same_v<decltype(&DllGetClassObject), LPFNGETCLASSOBJECT>);
static_assert(std::is_same_v<decltype(&DllRegisterServer), SelfRegisterFn>);
static_assert(std::is_same_v<decltype(&DllUnregisterServer), SelfRegisterFn>);
