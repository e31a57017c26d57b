// Registry entries of the module's two classes and its type library.
#pragma once

#include <windows.h>

// Type library embedded as resource 1: load, check its LIBID, register.
HRESULT RegisterTypeLibrary();
HRESULT UnregisterTypeLibrary();
// The CLSID keys (and the control's ProgID key). Existing values are replaced.
HRESULT RegisterClasses();
HRESULT UnregisterClasses();
