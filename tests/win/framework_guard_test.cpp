// No exception crosses a COM method or a window procedure: allocation
// failures inside the framework's entry points come back as E_OUTOFMEMORY
// (or a refused window), and nothing leaks a reference on the way.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "activex/framework/class_factory.h"
#include "activex/framework/connection_point.h"
#include "activex/framework/wnd.h"

namespace {

// The allocation number (counted from when it is armed) that fails; -1: none.
int failingAllocation = -1;

}   // namespace

void* operator new(size_t size) {
    if (failingAllocation == 0) {
        failingAllocation = -1;
        throw std::bad_alloc();
    }
    if (failingAllocation > 0) --failingAllocation;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

const IID kEvents = {0x1e2d3c4b, 0x5a69, 0x4788, {0x97, 0xa6, 0xb5, 0xc4, 0xd3, 0xe2, 0xf1, 0x00}};

struct Container : IConnectionPointContainer {
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
};

// Counts its references and the events it receives.
struct Sink : IDispatch {
    LONG refs = 1;
    int events = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) return *ppv = nullptr, E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return ++events, S_OK;
    }
};

TEST(FrameworkGuard, AdviseThatCannotGrowItsListFailsCleanly) {
    Container container;
    Sink sink;
    {
        EventConnectionPoint point(&container, kEvents);
        DWORD cookie = 99;
        failingAllocation = 0;
        EXPECT_EQ(E_OUTOFMEMORY, point.Advise(&sink, &cookie));
        EXPECT_EQ(0u, cookie);
        EXPECT_EQ(1, sink.refs);   // no reference kept for a connection that failed

        // The point still works; enumerating under memory pressure fails cleanly too.
        ASSERT_EQ(S_OK, point.Advise(&sink, &cookie));
        IEnumConnections* connections = reinterpret_cast<IEnumConnections*>(1);
        failingAllocation = 0;
        EXPECT_EQ(E_OUTOFMEMORY, point.EnumConnections(&connections));
        EXPECT_EQ(nullptr, connections);
        point.Fire(1);
        EXPECT_EQ(1, sink.events);
        EXPECT_EQ(2, sink.refs);
    }
    EXPECT_EQ(1, sink.refs);
}

TEST(FrameworkGuard, FactoryTurnsAFailedConstructionIntoOutOfMemory) {
    static const CLSID kClass = {0x0badc0de, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    ClassFactory factory(kClass, []() -> IUnknown* { throw std::bad_alloc(); });
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_OUTOFMEMORY, factory.CreateInstance(nullptr, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
}

class AllocatingWnd : public Wnd {
public:
    int created = 0;
    std::vector<std::string> names;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE) {
            names.emplace_back(64, 'x');
            ++created;
            return 0;
        }
        if (msg == WM_USER) {
            names.emplace_back(64, 'y');
            return 1;
        }
        return Wnd::WindowProc(msg, wParam, lParam);
    }
};

TEST(FrameworkGuard, WindowProcedureRefusesCreationWhenAllocationFails) {
    Wnd::DefaultClassName();   // registered now, so the armed failure hits the window procedure
    AllocatingWnd wnd;
    failingAllocation = 0;
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "guard", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(0, wnd.created);

    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "guard", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(1, wnd.created);
    // Any other message that throws answers 0 and the window lives on.
    failingAllocation = 0;
    EXPECT_EQ(0, SendMessageA(wnd, WM_USER, 0, 0));
    EXPECT_EQ(1, SendMessageA(wnd, WM_USER, 0, 0));
    EXPECT_TRUE(IsWindow(wnd));
    wnd.DestroyWindow();
}

}   // namespace
