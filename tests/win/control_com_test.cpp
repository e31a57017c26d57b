// The control's COM surface as containers and script hosts meet it:
// IObjectSafety answers, IDispatch errors and DISPIDs, type information,
// class-level answers, the property page, and unload bookkeeping.
#include <winsock2.h>
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "activex/res/sivarta_ids.h"
#include "win/support/control_client.h"

namespace {

class ComTest : public ::testing::Test {
protected:
    OcxModule ocx;
};

struct SafetyAnswer {
    HRESULT hr;
    DWORD supported;
    DWORD enabled;
};

SafetyAnswer GetSafety(IObjectSafety* safety, REFIID iid) {
    SafetyAnswer a{E_UNEXPECTED, 0xDEAD, 0xDEAD};
    a.hr = safety->GetInterfaceSafetyOptions(iid, &a.supported, &a.enabled);
    return a;
}

// Closes every dialog of this thread with OK from inside its modal loop and
// remembers each one's caption and owner.
struct DialogCloser {
    static inline std::vector<std::pair<std::wstring, HWND>> seen;
    static BOOL CALLBACK Close(HWND window, LPARAM) {
        wchar_t cls[32] = L"";
        GetClassNameW(window, cls, 32);
        if (IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
            wchar_t caption[128] = L"";
            GetWindowTextW(window, caption, 128);
            seen.emplace_back(caption, GetWindow(window, GW_OWNER));
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), &Close, 0); }
    DialogCloser() {
        seen.clear();
        timer = SetTimer(nullptr, 0, 200, &Tick);
    }
    ~DialogCloser() { KillTimer(nullptr, timer); }
    UINT_PTR timer;
};

HRESULT InvokeRaw(IDispatch* control, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result = nullptr) {
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, nullptr, nullptr);
}

}   // namespace

// Ends every Windows Sockets start-up of this process; returns how many there were.
int EndAllSocketStarts() {
    int n = 0;
    while (WSACleanup() == 0) ++n;
    return n;
}

TEST(ModuleStart, SocketsStartWithTheFirstObjectNotWhenTheModuleLoads) {
    // Runs first, so this load is the module's first in the process.
    ASSERT_EQ(nullptr, GetModuleHandleW(L"SIVARTA.OCX"));
    const int before = EndAllSocketStarts();
    {
        OcxModule ocx;   // loading runs DllMain under the loader lock: nothing may start there
        ASSERT_NE(nullptr, ocx.Handle());
        EXPECT_EQ(0, EndAllSocketStarts());
        ComPtr<IDispatch> first = ocx.NewControl();
        ASSERT_TRUE(first);
        ComPtr<IDispatch> second = ocx.NewControl();
        EXPECT_EQ(1, EndAllSocketStarts());   // once, for the first object
        // The module's start-up stays in place while it is loaded.
        WSADATA data;
        EXPECT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    }
    WSADATA data;
    for (int i = 0; i < before; ++i) WSAStartup(MAKEWORD(2, 2), &data);
}

TEST_F(ComTest, ObjectSafetyAnswersForEachKindOfInterface) {
    ComPtr<IDispatch> control = ocx.NewControl();
    auto safety = As<IObjectSafety>(control.Get(), IID_IObjectSafety);
    ASSERT_TRUE(safety);

    SafetyAnswer a = GetSafety(safety.Get(), IID_IDispatch);
    EXPECT_EQ(S_OK, a.hr);
    EXPECT_EQ(3u, a.supported);
    EXPECT_EQ(1u, a.enabled);
    for (const IID* iid :
         {&IID_IPersistPropertyBag, &IID_IPersistStreamInit, &IID_IPersistStorage, &IID_IPersistMemory}) {
        a = GetSafety(safety.Get(), *iid);
        EXPECT_EQ(S_OK, a.hr);
        EXPECT_EQ(3u, a.supported);
        EXPECT_EQ(2u, a.enabled);
    }
    // Provided, but neither scripting nor initialisation.
    a = GetSafety(safety.Get(), IID_IConnectionPointContainer);
    EXPECT_EQ(E_NOINTERFACE, a.hr);
    EXPECT_EQ(3u, a.supported);
    EXPECT_EQ(0u, a.enabled);
    // Not provided at all.
    a = GetSafety(safety.Get(), IID_IDataObject);
    EXPECT_EQ(E_NOINTERFACE, a.hr);
    EXPECT_EQ(0u, a.enabled);
    DWORD one = 0;
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, &one, nullptr));
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &one));
}

TEST_F(ComTest, ObjectSafetyAcceptsOnlyTheExactOptions) {
    ComPtr<IDispatch> control = ocx.NewControl();
    auto safety = As<IObjectSafety>(control.Get(), IID_IObjectSafety);
    ASSERT_TRUE(safety);
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 2, 2));
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, 2, 2));
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IPersistMemory, 2, 2));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit, 1, 1));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IPersistStorage, 3, 2));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IConnectionPointContainer, 1, 1));
    // Mask and options 0: accepted whatever the interface, even one not provided.
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDataObject, 0, 0));
    EXPECT_EQ(E_NOINTERFACE, GetSafety(safety.Get(), IID_IDataObject).hr);
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDataObject, 1, 1));
    // Nothing is stored: the answers stay the fixed ones.
    EXPECT_EQ(1u, GetSafety(safety.Get(), IID_IDispatch).enabled);
    EXPECT_EQ(2u, GetSafety(safety.Get(), IID_IPersistMemory).enabled);
}

TEST_F(ComTest, IdentityAndClassLevelAnswers) {
    ComPtr<IDispatch> control = ocx.NewControl();
    auto fromDispatch = As<IUnknown>(control.Get(), IID_IUnknown);
    auto safety = As<IObjectSafety>(control.Get(), IID_IObjectSafety);
    EXPECT_EQ(fromDispatch.Get(), As<IUnknown>(safety.Get(), IID_IUnknown).Get());
    EXPECT_TRUE(As<IDispatch>(control.Get(), DIID__DSivarta));

    auto object = As<IOleObject>(control.Get(), IID_IOleObject);
    DWORD misc = 0;
    EXPECT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(131473u, misc);
    LPOLESTR type = nullptr;
    ASSERT_EQ(S_OK, object->GetUserType(USERCLASSTYPE_FULL, &type));
    EXPECT_STREQ(L"Sivarta Control", type);
    CoTaskMemFree(type);
    CLSID clsid{};
    EXPECT_EQ(S_OK, As<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->GetClassID(&clsid));
    EXPECT_TRUE(clsid == CLSID_Sivarta);

    CAUUID pages{};
    ASSERT_EQ(S_OK, As<ISpecifyPropertyPages>(control.Get(), IID_ISpecifyPropertyPages)->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    EXPECT_TRUE(pages.pElems[0] == CLSID_SivartaPropPage);
    CoTaskMemFree(pages.pElems);

    auto info = As<IProvideClassInfo2>(control.Get(), IID_IProvideClassInfo2);
    GUID events{};
    EXPECT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_TRUE(events == DIID__DSivartaEvents);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, info->GetClassInfo(coclass.Put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_TRUE(attr->guid == CLSID_Sivarta);
    coclass->ReleaseTypeAttr(attr);
    ComPtr<IConnectionPoint> point;
    auto points = As<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
    EXPECT_EQ(S_OK, points->FindConnectionPoint(DIID__DSivartaEvents, point.Put()));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, points->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()));
    ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__DSivartaEvents, point.Put()));
    IID connected{};
    EXPECT_EQ(S_OK, point->GetConnectionInterface(&connected));
    EXPECT_TRUE(connected == DIID__DSivartaEvents);
    // A sink without IDispatch cannot listen; an unknown cookie is no connection.
    DWORD cookie = 0;
    ComPtr<IClassFactory> notDispatch = ocx.Factory(CLSID_Sivarta);
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point->Advise(notDispatch.Get(), &cookie));
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(12345));
}

TEST_F(ComTest, DispidsFollowTheTableAndTheTypeLibraryAgrees) {
    ComPtr<IDispatch> control = ocx.NewControl();
    for (size_t i = 0; i < kPropertyNames.size(); ++i)
        EXPECT_EQ(static_cast<DISPID>(i + 1), IdOf(control.Get(), kPropertyNames[i].c_str())) << i;
    const wchar_t* methods[] = {L"StratGraph",   L"GetStockCode",      L"GetStockName",  L"GetStockDate",
                                L"GetStockTime", L"GetStockCurrentga", L"GetStockChange"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(31 + i, IdOf(control.Get(), methods[i]));
    EXPECT_EQ(DISPID_ABOUTBOX, IdOf(control.Get(), L"AboutBox"));
    EXPECT_EQ(8, IdOf(control.Get(), L"CRBOXLINE"));   // any case

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, control->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()));
    for (size_t i = 0; i < kPropertyNames.size(); ++i) {
        MEMBERID id = DISPID_UNKNOWN;
        LPOLESTR name = const_cast<LPOLESTR>(kPropertyNames[i].c_str());
        EXPECT_EQ(S_OK, info->GetIDsOfNames(&name, 1, &id));
        EXPECT_EQ(IdOf(control.Get(), kPropertyNames[i].c_str()), id);
    }
}

TEST_F(ComTest, InvokeReportsEachKindOfCallerMistake) {
    ComPtr<IDispatch> control = ocx.NewControl();
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchName")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, control->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);

    DISPPARAMS none{};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, InvokeRaw(control.Get(), 99, DISPATCH_METHOD, &none));

    // Wrong type: refused, the property keeps its value, nothing marked modified.
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"wide");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putText{&text, &put, 1, 1};
    EXPECT_EQ(DISP_E_TYPEMISMATCH, InvokeRaw(control.Get(), 3, DISPATCH_PROPERTYPUT, &putText));
    VariantClear(&text);
    EXPECT_EQ(228, GetI4(control.Get(), L"nsizeMainX"));
    EXPECT_EQ(S_FALSE, As<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit)->IsDirty());

    // A property read with an argument, a method given too many or too few.
    VARIANT arg;
    arg.vt = VT_I4;
    arg.lVal = 1;
    DISPPARAMS oneArg{&arg, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, InvokeRaw(control.Get(), 3, DISPATCH_PROPERTYGET, &oneArg));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, InvokeRaw(control.Get(), 32, DISPATCH_METHOD, &oneArg));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, InvokeRaw(control.Get(), 31, DISPATCH_METHOD, &none));
    VARIANT missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    DISPPARAMS omitted{&missing, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, InvokeRaw(control.Get(), 31, DISPATCH_METHOD, &omitted));
    // A put without the property-put argument name.
    DISPPARAMS unnamed{&arg, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, InvokeRaw(control.Get(), 3, DISPATCH_PROPERTYPUT, &unnamed));
}

TEST_F(ComTest, MethodsBeforeAnyWindowAndStratGraphLeavesItsArgument) {
    ComPtr<IDispatch> control = ocx.NewControl();
    EXPECT_EQ(L"", CallText(control.Get(), L"GetStockCode"));
    EXPECT_EQ(L"", CallText(control.Get(), L"GetStockName"));
    for (const wchar_t* name : {L"GetStockDate", L"GetStockTime", L"GetStockCurrentga", L"GetStockChange"})
        EXPECT_EQ(0, CallI4(control.Get(), name)) << name;

    BSTR code = SysAllocString(L"005930");
    VARIANT byRef;
    byRef.vt = VT_BSTR | VT_BYREF;
    byRef.pbstrVal = &code;
    DISPPARAMS params{&byRef, nullptr, 1, 0};
    EXPECT_EQ(S_OK, InvokeRaw(control.Get(), 31, DISPATCH_METHOD, &params));
    EXPECT_STREQ(L"005930", code);
    SysFreeString(code);
}

TEST_F(ComTest, PropertyPageShowsGeneralAndApplyingChangesNothing) {
    ComPtr<IDispatch> control = ocx.NewControl();
    SetAllProperties(control.Get(), 6);
    std::vector<std::wstring> before = Snapshot(control.Get());

    ComPtr<IClassFactory> factory = ocx.Factory(CLSID_SivartaPropPage);
    ASSERT_TRUE(factory);
    ComPtr<IPropertyPage2> page;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage2, reinterpret_cast<void**>(page.Put())));
    PROPPAGEINFO info{};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_STREQ(L"General", info.pszTitle);
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    HWND frame = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
    IUnknown* objects[] = {control.Get()};
    EXPECT_EQ(S_OK, page->SetObjects(1, objects));
    RECT rc{0, 0, 400, 120};
    EXPECT_EQ(S_OK, page->Activate(frame, &rc, TRUE));
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    DestroyWindow(frame);
    EXPECT_EQ(before, Snapshot(control.Get()));
}

TEST_F(ComTest, ModuleUnloadsOnlyWithoutObjectsOrLocks) {
    {
        ComPtr<IDispatch> control = ocx.NewControl();
        ASSERT_TRUE(control);
        auto object = As<IOleObject>(control.Get(), IID_IOleObject);
        EXPECT_EQ(S_FALSE, ocx.CanUnloadNow());
    }
    EXPECT_EQ(S_OK, ocx.CanUnloadNow());
    ComPtr<IClassFactory> factory = ocx.Factory(CLSID_Sivarta);
    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, ocx.CanUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, ocx.CanUnloadNow());

    // Exact counting: AddRef/Release pairs return to the same count.
    ComPtr<IDispatch> control = ocx.NewControl();
    ULONG first = control->AddRef();
    auto safety = As<IObjectSafety>(control.Get(), IID_IObjectSafety);   // one more
    EXPECT_EQ(first + 2, safety->AddRef());
    safety->Release();
    safety.Reset();
    EXPECT_EQ(first - 1, control->Release());

    void* none = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(control.Get(), IID_IUnknown, &none));
    HRESULT(WINAPI * get)
    (REFCLSID, REFIID, void**) =
        reinterpret_cast<decltype(get)>(reinterpret_cast<void*>(GetProcAddress(ocx.Handle(), "DllGetClassObject")));
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(IID_IDispatch, IID_IClassFactory, &none));
}

TEST_F(ComTest, AboutBoxRunsModallyWithoutParentEachTimeItIsCalled) {
    ComPtr<IDispatch> control = ocx.NewControl();
    DialogCloser closer;
    VARIANT none;
    EXPECT_EQ(S_OK, Call(control.Get(), L"AboutBox", &none));
    ASSERT_EQ(1u, DialogCloser::seen.size());   // returned only after its box was closed
    EXPECT_EQ(S_OK, Call(control.Get(), L"AboutBox", &none));
    ASSERT_EQ(2u, DialogCloser::seen.size());
    for (const auto& [caption, owner] : DialogCloser::seen) {
        EXPECT_EQ(L"About Sivarta Control", caption);
        EXPECT_EQ(nullptr, owner);
    }
}

TEST_F(ComTest, PropertiesVerbShowsTheFrameAndOkChangesNothing) {
    ComPtr<IDispatch> control = ocx.NewControl();
    SetAllProperties(control.Get(), 8);
    std::vector<std::wstring> before = Snapshot(control.Get());
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    // The frame creates the page by CLSID: offer the page's class object to
    // this process, as registration would.
    DWORD registration = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_SivartaPropPage, ocx.Factory(CLSID_SivartaPropPage).Get(),
                                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration));
    {
        DialogCloser closer;
        auto object = As<IOleObject>(control.Get(), IID_IOleObject);
        EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, parent, nullptr));
        ASSERT_FALSE(DialogCloser::seen.empty());
        EXPECT_NE(std::wstring::npos, DialogCloser::seen[0].first.find(L"Sivarta Control"));
    }
    CoRevokeClassObject(registration);
    DestroyWindow(parent);
    EXPECT_EQ(before, Snapshot(control.Get()));
}

TEST_F(ComTest, DrawWithoutWindowPaintsThePlaceholder) {
    ComPtr<IDispatch> control = ocx.NewControl();
    auto view = As<IViewObject2>(control.Get(), IID_IViewObject2);
    ASSERT_TRUE(view);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 30);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 60, 30};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECTL bounds{10, 5, 50, 25};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 11, 6));   // corner of the bounds: white fill
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 10, 15));        // the ellipse's left edge
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 5, 15));         // outside the bounds: untouched
    EXPECT_EQ(DV_E_DVASPECT,
              view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
