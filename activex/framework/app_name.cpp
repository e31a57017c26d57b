#include "activex/framework/app_name.h"

#include <windows.h>

#include "activex/framework/wnd.h"

std::string AppName() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(ModuleInstance(), path, sizeof path);
    if (n == 0 || n >= sizeof path) return "Sivarta";
    std::string name(path, n);
    if (size_t slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
    if (size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}
