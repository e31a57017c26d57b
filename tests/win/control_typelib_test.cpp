// The hand-written type library inside SIVARTA.OCX against the settings table
// and the control's own dispatch: every property with its name, DISPID and
// type, every method with its signature, and the event interface. Scripts
// and form designers trust the type library; the control answers from the
// table; the two must describe the same interface.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chart/settings_table.h"
#include "activex/res/sivarta_ids.h"
#include "win/support/control_client.h"

namespace {

std::wstring OcxPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring ocx(path, length);
    return ocx.substr(0, ocx.find_last_of(L'\\') + 1) + L"SIVARTA.OCX";
}

std::wstring TypeText(const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR:
        return TypeText(*t.lptdesc) + L"*";
    case VT_BSTR:
        return L"BSTR";
    case VT_I4:
        return L"long";
    case VT_VOID:
        return L"void";
    case VT_HRESULT:
        return L"HRESULT";
    default:
        return L"vt" + std::to_wstring(t.vt);
    }
}

// One line per member: "ID name: type" for properties,
// "ID name(type param, ...) -> result" for methods.
std::vector<std::wstring> Members(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return {};
    std::vector<std::wstring> lines;
    for (UINT i = 0; i < attr->cVars; ++i) {
        VARDESC* var = nullptr;
        if (FAILED(info->GetVarDesc(i, &var))) continue;
        BSTR name = nullptr;
        info->GetDocumentation(var->memid, &name, nullptr, nullptr, nullptr);
        lines.push_back(std::to_wstring(var->memid) + L" " + (name ? name : L"?") + L": " +
                        TypeText(var->elemdescVar.tdesc) + (var->varkind == VAR_DISPATCH ? L"" : L" (not dispatch)"));
        SysFreeString(name);
        info->ReleaseVarDesc(var);
    }
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) continue;
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(func->memid, names, 8, &count);
        std::wstring line = std::to_wstring(func->memid) + L" " + (names[0] ? names[0] : L"?") + L"(";
        for (SHORT p = 0; p < func->cParams; ++p) {
            if (p) line += L", ";
            line += TypeText(func->lprgelemdescParam[p].tdesc);
            if (static_cast<UINT>(p) + 1 < count) line += std::wstring(L" ") + names[p + 1];
        }
        line += L") -> " + TypeText(func->elemdescFunc.tdesc);
        if (func->funckind != FUNC_DISPATCH || func->invkind != INVOKE_FUNC) line += L" (not a dispatch method)";
        lines.push_back(line);
        for (BSTR n : names) SysFreeString(n);
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::wstring PropertyType(const PropertyInfo& p) {
    return p.type == PropType::String ? L"BSTR" : L"long";
}

class TypeLibTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, lib.Put())) << "type library in SIVARTA.OCX";
    }
    ComPtr<ITypeInfo> Interface(REFGUID iid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, lib->GetTypeInfoOfGuid(iid, info.Put()));
        return info;
    }

    OcxModule ocx;   // COM for this thread, and the control for the dispatch checks
    ComPtr<ITypeLib> lib;
};

}   // namespace

TEST_F(TypeLibTest, DispatchInterfaceDescribesTheTableAndTheMethods) {
    std::vector<std::wstring> expected;
    for (const PropertyInfo& p : PropertyTable())
        expected.push_back(std::to_wstring(p.dispid) + L" " + Wide(p.name) + L": " + PropertyType(p));
    for (const wchar_t* method : {
             L"31 StratGraph(BSTR* bstrCode) -> void",
             L"32 GetStockCode() -> BSTR",
             L"33 GetStockName() -> BSTR",
             L"34 GetStockDate() -> long",
             L"35 GetStockTime() -> long",
             L"36 GetStockCurrentga() -> long",
             L"37 GetStockChange() -> long",
             L"-552 AboutBox() -> void",
         })
        expected.push_back(method);
    std::sort(expected.begin(), expected.end());

    ComPtr<ITypeInfo> info = Interface(DIID__DSivarta);
    ASSERT_TRUE(info);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(expected, Members(info.Get()));
}

TEST_F(TypeLibTest, EventInterfaceHasReadyInfoAloneAndTheCoclassNamesBoth) {
    ComPtr<ITypeInfo> events = Interface(DIID__DSivartaEvents);
    ASSERT_TRUE(events);
    EXPECT_EQ(std::vector<std::wstring>{L"1 ReadyInfo() -> void"}, Members(events.Get()));

    ComPtr<ITypeInfo> coclass = Interface(CLSID_Sivarta);
    ASSERT_TRUE(coclass);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    const WORD implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    ASSERT_EQ(2, implemented);
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> interfaceInfo;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &ref));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, interfaceInfo.Put()));
        TYPEATTR* a = nullptr;
        ASSERT_EQ(S_OK, interfaceInfo->GetTypeAttr(&a));
        const bool source = (flags & IMPLTYPEFLAG_FSOURCE) != 0;
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
        EXPECT_TRUE(IsEqualGUID(source ? DIID__DSivartaEvents : DIID__DSivarta, a->guid)) << i;
        interfaceInfo->ReleaseTypeAttr(a);
    }
}

TEST_F(TypeLibTest, ControlAnswersEveryTablePropertyWithTheTypeLibrarysIdAndType) {
    ComPtr<IDispatch> control = ocx.NewControl();
    ASSERT_TRUE(control);
    ComPtr<ITypeInfo> info = Interface(DIID__DSivarta);
    ASSERT_TRUE(info);
    for (const PropertyInfo& p : PropertyTable()) {
        const std::wstring name = Wide(p.name);
        SCOPED_TRACE(p.name);
        MEMBERID libId = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
        EXPECT_EQ(S_OK, info->GetIDsOfNames(names, 1, &libId));
        EXPECT_EQ(libId, IdOf(control.Get(), name.c_str()));
        // The default as the table gives it, in the type the library declares.
        if (p.type == PropType::String) {
            EXPECT_EQ(Wide(p.defaultString), GetText(control.Get(), name.c_str()));
        } else {
            EXPECT_EQ(p.defaultNumber, GetI4(control.Get(), name.c_str()));
        }
    }
}
