// AnsiToBstr / BstrToAnsi convert with the system's ANSI code page (CP_ACP),
// the way the control's 8-bit strings meet automation.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// A new BSTR holding `text` converted from CP_ACP; nullptr only when out of memory.
BSTR AnsiToBstr(const std::string& text);
// The BSTR's text in CP_ACP (a null BSTR is the empty string).
std::string BstrToAnsi(BSTR text);
