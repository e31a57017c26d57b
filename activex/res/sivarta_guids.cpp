// The one definition of every GUID of the module.
#include <windows.h>
#include <initguid.h>

#include "activex/res/sivarta_ids.h"

// {613A5DE9-123F-41F4-B991-03F6B4B2A2C2}
DEFINE_GUID(CLSID_SivartaPropPage, 0x613a5de9, 0x123f, 0x41f4, 0xb9, 0x91, 0x03, 0xf6, 0xb4, 0xb2, 0xa2, 0xc2);
