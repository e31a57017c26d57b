// Module entry points of SIVARTA.OCX: start-up, class objects, unload check
// and self-registration.
#include <windows.h>
#include <olectl.h>
#include <winsock2.h>

#include <type_traits>

#include "control/registration.h"
#include "control/sivarta_ctrl.h"
#include "control/sivarta_ids.h"
#include "control/sivarta_prop_page.h"
#include "framework/class_factory.h"
#include "framework/module_lock.h"
#include "res/resource.h"

namespace {

ClassFactory controlFactory(CLSID_Sivarta, &CSivartaCtrl::Create);
ClassFactory pageFactory(CLSID_SivartaPropPage, &CSivartaPropPage::Create);
bool socketsStarted = false;

void StartSockets(HINSTANCE module) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) == 0) {
        socketsStarted = true;
        return;
    }
    // The module's string table has no entry 104: say plainly what failed.
    char text[256];
    if (LoadStringA(module, IDS_WINSOCK_INIT_FAILED, text, sizeof text) <= 0)
        lstrcpynA(text, "Windows Sockets could not be initialised.", sizeof text);
    MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        StartSockets(module);
    } else if (reason == DLL_PROCESS_DETACH && socketsStarted && !reserved) {
        WSACleanup();
    }
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
