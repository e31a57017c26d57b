// Identifiers of the module's classes beyond those the type library defines.
#pragma once

#include <windows.h>

#include "sivarta_h.h"

EXTERN_C const CLSID CLSID_SivartaPropPage;

constexpr char kSivartaProgId[] = "SIVARTA.SivartaCtrl.1";
// OLEMISC_SETCLIENTSITEFIRST | ACTIVATEWHENVISIBLE | INSIDEOUT | CANTLINKINSIDE
// | RECOMPOSEONRESIZE
constexpr DWORD kSivartaMiscStatus = 131473;
