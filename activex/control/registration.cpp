#include "activex/control/registration.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>

#include "activex/res/sivarta_ids.h"
#include "activex/framework/wnd.h"
#include "activex/res/resource.h"

namespace {

std::string GuidText(const GUID& guid) {
    wchar_t wide[64];
    StringFromGUID2(guid, wide, 64);
    char text[64];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;   // upper case with braces
}

// The module's full path in short (8.3) form, as the registry holds it.
std::string ModulePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(ModuleInstance(), path, MAX_PATH);
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
    return (length > 0 && length < MAX_PATH) ? shortPath : path;
}

std::string ResourceString(UINT id, const GUID& fallback) {
    char text[256];
    int length = LoadStringA(ModuleInstance(), id, text, sizeof text);
    return length > 0 ? std::string(text, static_cast<size_t>(length)) : GuidText(fallback);
}

// Creates HKCR\key and sets one string value (null name = default value).
bool SetValue(const std::string& key, const char* name, const std::string& value) {
    HKEY hkey = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hkey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(hkey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(hkey);
    return result == ERROR_SUCCESS;
}

// Removes one value; a value that is not there is fine.
bool DeleteValue(const std::string& key, const char* name) {
    HKEY hkey = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &hkey);
    if (result == ERROR_FILE_NOT_FOUND) return true;
    if (result != ERROR_SUCCESS) return false;
    result = RegDeleteValueA(hkey, name);
    RegCloseKey(hkey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool DeleteTree(const std::string& key) {
    LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
        result = RegDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    return false;
}

bool KeyExists(const std::string& key) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return false;
    RegCloseKey(hkey);
    return true;
}

bool RegisterControl(const std::string& path) {
    std::string key = "CLSID\\" + GuidText(CLSID_Sivarta);
    std::string name = ResourceString(IDS_SIVARTA, CLSID_Sivarta);
    return SetValue(key, nullptr, name) && SetValue(key + "\\ProgID", nullptr, kSivartaProgId) &&
           SetValue(key + "\\InprocServer32", nullptr, path) &&
           SetValue(key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
           SetValue(key + "\\ToolboxBitmap32", nullptr, path + ", " + std::to_string(IDB_SIVARTA)) &&
           SetValue(key + "\\MiscStatus", nullptr, "0") &&
           SetValue(key + "\\MiscStatus\\1", nullptr, std::to_string(kSivartaMiscStatus)) &&
           SetValue(key + "\\Control", nullptr, "") &&
           SetValue(key + "\\TypeLib", nullptr, GuidText(LIBID_SIVARTALib)) &&
           SetValue(key + "\\Version", nullptr, "1.0") && SetValue(kSivartaProgId, nullptr, name) &&
           SetValue(std::string(kSivartaProgId) + "\\CLSID", nullptr, GuidText(CLSID_Sivarta));
}

bool RegisterPropertyPage(const std::string& path) {
    std::string key = "CLSID\\" + GuidText(CLSID_SivartaPropPage);
    // The page has no threading model: one written by anything else goes.
    return SetValue(key, nullptr, ResourceString(IDS_SIVARTA_PPG, CLSID_SivartaPropPage)) &&
           SetValue(key + "\\InprocServer32", nullptr, path) && DeleteValue(key + "\\InprocServer32", "ThreadingModel");
}

// Deletes a class's key; a 16-bit server of the same class keeps its own.
bool UnregisterClass(const GUID& clsid) {
    std::string key = "CLSID\\" + GuidText(clsid);
    if (KeyExists(key + "\\InprocServer"))
        return DeleteTree(key + "\\InprocServer32") && DeleteTree(key + "\\ToolboxBitmap32");
    return DeleteTree(key);
}

}   // namespace

HRESULT RegisterTypeLibrary() {
    wchar_t path[MAX_PATH];
    if (!GetModuleFileNameW(ModuleInstance(), path, MAX_PATH)) return SELFREG_E_TYPELIB;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, &lib))) return SELFREG_E_TYPELIB;
    HRESULT hr = SELFREG_E_TYPELIB;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(lib->GetLibAttr(&attr))) {
        bool ours = attr->guid == LIBID_SIVARTALib;
        lib->ReleaseTLibAttr(attr);
        if (ours && SUCCEEDED(RegisterTypeLib(lib, path, nullptr))) hr = S_OK;
    }
    lib->Release();
    return hr;
}

HRESULT UnregisterTypeLibrary() {
    SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    HRESULT hr = UnRegisterTypeLib(LIBID_SIVARTALib, 1, 0, 0x0409, kind);
    return SUCCEEDED(hr) ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT RegisterClasses() {
    std::string path = ModulePath();
    return RegisterControl(path) && RegisterPropertyPage(path) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterClasses() {
    bool ok = UnregisterClass(CLSID_Sivarta) && DeleteTree(kSivartaProgId);
    ok = UnregisterClass(CLSID_SivartaPropPage) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
