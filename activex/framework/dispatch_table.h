// DispatchTable: IDispatch::Invoke and GetIDsOfNames driven by a table of
// properties and methods of an object T. The properties are fields of one
// struct F that T holds (so a control can keep its properties in a struct
// that other code shares), each with a change notification of T. Names match
// case-insensitively; arguments are coerced with VariantChangeType to the
// property's type (BSTR or I4).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "activex/framework/bstr.h"
#include "data/prop_codec.h"

// Kept out of the template: argument checks and coercion.
namespace dispatch {
// The one value of a property put (DISPID_PROPERTYPUT named), coerced to vt.
HRESULT PutValue(DISPPARAMS* params, VARTYPE vt, VARIANT& out, UINT* argErr);
// Checks a method call's argument count: `required` positional arguments,
// none of them missing.
HRESULT CheckArgs(DISPPARAMS* params, UINT required, UINT* argErr);
bool NameMatches(const wchar_t* tableName, const wchar_t* asked);
}   // namespace dispatch

template <typename T, typename F>
struct DispEntry {
    std::wstring name;
    DISPID dispid;
    std::string F::*strField = nullptr;   // a property has one of the two fields
    int32_t F::*intField = nullptr;
    void (T::*notify)() = nullptr;
    HRESULT (T::*method)(DISPPARAMS* params, VARIANT* result) = nullptr;
    UINT params = 0;   // required arguments of a method
};

template <typename T, typename F>
class DispatchTable {
public:
    using Entry = DispEntry<T, F>;

    // `fields`: the member of T that holds the properties' fields.
    DispatchTable(std::vector<Entry> entries, F T::*fields) : entries(std::move(entries)), fields(fields) {}

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        HRESULT hr = DISP_E_UNKNOWNNAME;
        ids[0] = DISPID_UNKNOWN;
        for (const Entry& e : entries) {
            if (dispatch::NameMatches(e.name.c_str(), names[0])) {
                ids[0] = e.dispid;
                hr = S_OK;
                break;
            }
        }
        // Parameter names are not exposed.
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT Invoke(T& object, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) const {
        const Entry* e = Find(id);
        if (!e) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{};
        if (!params) params = &none;
        if (result) VariantInit(result);
        if (e->method) {
            if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
            if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
            HRESULT hr = dispatch::CheckArgs(params, e->params, argErr);
            return FAILED(hr) ? hr : (object.*(e->method))(params, result);
        }
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return Put(object, *e, params, argErr);
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs) return DISP_E_BADPARAMCOUNT;
        if (!result) return S_OK;
        const F& values = object.*fields;
        if (e->strField) {
            result->vt = VT_BSTR;
            result->bstrVal = AnsiToBstr(values.*(e->strField));
            return result->bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        result->vt = VT_I4;
        result->lVal = values.*(e->intField);
        return S_OK;
    }

private:
    const Entry* Find(DISPID id) const {
        for (const Entry& e : entries)
            if (e.dispid == id) return &e;
        return nullptr;
    }

    HRESULT Put(T& object, const Entry& e, DISPPARAMS* params, UINT* argErr) const {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = dispatch::PutValue(params, e.strField ? VT_BSTR : VT_I4, v, argErr);
        if (FAILED(hr)) return hr;
        if (e.strField) {
            std::string text = BstrToAnsi(v.bstrVal);
            VariantClear(&v);
            // Capped like persisted strings: whatever is set can be saved and loaded.
            if (text.size() > kMaxPropString) return E_INVALIDARG;
            (object.*fields).*(e.strField) = std::move(text);
        } else {
            (object.*fields).*(e.intField) = v.lVal;
        }
        if (e.notify) (object.*(e.notify))();
        return S_OK;
    }

    std::vector<Entry> entries;
    F T::*fields;
};
