#include "activex/framework/dispatch_table.h"

#include <cwchar>

namespace dispatch {

HRESULT PutValue(DISPPARAMS* params, VARTYPE vt, VARIANT& out, UINT* argErr) {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_PARAMNOTOPTIONAL;
    // VariantChangeType follows a by-reference argument itself.
    HRESULT hr = VariantChangeType(&out, &params->rgvarg[0], 0, vt);
    if (FAILED(hr)) {
        if (argErr) *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT CheckArgs(DISPPARAMS* params, UINT required, UINT* argErr) {
    if (params->cArgs != required) return DISP_E_BADPARAMCOUNT;
    for (UINT i = 0; i < params->cArgs; ++i) {
        const VARIANT& arg = params->rgvarg[i];
        if (arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND) {
            if (argErr) *argErr = i;
            return DISP_E_PARAMNOTOPTIONAL;
        }
    }
    return S_OK;
}

bool NameMatches(const wchar_t* tableName, const wchar_t* asked) {
    return asked && _wcsicmp(tableName, asked) == 0;
}

}   // namespace dispatch
