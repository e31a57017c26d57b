// A client of SIVARTA.OCX for tests: the module is loaded from beside the test
// program and its class objects are used directly, so no registration is
// needed. Properties and methods are reached by name through IDispatch, the
// way a script reaches them.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "activex/framework/com_ptr.h"

class OcxModule {
public:
    OcxModule();   // loads the module and initialises COM (STA) on this thread
    ~OcxModule();
    OcxModule(const OcxModule&) = delete;
    OcxModule& operator=(const OcxModule&) = delete;

    ComPtr<IClassFactory> Factory(REFCLSID clsid) const;
    ComPtr<IDispatch> NewControl() const;
    HRESULT CanUnloadNow() const;
    HMODULE Handle() const { return module; }

private:
    HMODULE module = nullptr;
    HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* canUnloadNow)() = nullptr;
};

// The property names in dispatch-table order (DISPID = index + 1).
extern const std::vector<std::wstring> kPropertyNames;
bool IsStringProperty(const std::wstring& name);

DISPID IdOf(IDispatch* control, const wchar_t* name);
HRESULT PutI4(IDispatch* control, const wchar_t* name, int32_t value);
HRESULT PutText(IDispatch* control, const wchar_t* name, const std::wstring& text);
int32_t GetI4(IDispatch* control, const wchar_t* name);
std::wstring GetText(IDispatch* control, const wchar_t* name);
// A method without arguments; its result (VT_EMPTY for none).
HRESULT Call(IDispatch* control, const wchar_t* name, VARIANT* result);
std::wstring CallText(IDispatch* control, const wchar_t* name);
int32_t CallI4(IDispatch* control, const wchar_t* name);

// Every property as text ("name=value"), to compare whole states.
std::vector<std::wstring> Snapshot(IDispatch* control);
// Sets every property to a value that differs from its default (seeded).
void SetAllProperties(IDispatch* control, int seed);

template <typename T>
ComPtr<T> As(IUnknown* from, REFIID iid) {
    ComPtr<T> to;
    QueryInto(from, iid, to);
    return to;
}

std::wstring Wide(const std::string& ansi);   // CP_ACP
