// ComEnum: the standard enumerator shape (Next, Skip, Reset, Clone) over a
// snapshot of items taken when it was made. Each item it holds, and each one
// Next hands out, carries its own reference (Traits::Hold / Traits::Drop).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <new>
#include <vector>

#include "activex/framework/com_guard.h"
#include "activex/framework/module_lock.h"

template <typename Interface, typename Item, typename Traits>
class ComEnum : public Interface {
public:
    // A new enumerator holding one reference for the caller, or E_OUTOFMEMORY.
    static HRESULT Create(const std::vector<Item>& items, size_t position, Interface** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return GuardCall([&] {
            auto* e = new ComEnum(items, position);
            *out = e;
            return S_OK;
        });
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (iid == IID_IUnknown || iid == Traits::kIid) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && position < items.size(); ++n, ++position) {
            out[n] = items[position];
            Traits::Hold(out[n]);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        size_t left = items.size() - position;
        position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** out) override { return Create(items, position, out); }

private:
    ComEnum(const std::vector<Item>& source, size_t start) : items(source), position(start) {
        for (Item& item : items) Traits::Hold(item);
        ModuleLock::AddObject();
    }
    virtual ~ComEnum() {
        for (Item& item : items) Traits::Drop(item);
        ModuleLock::ReleaseObject();
    }

    LONG refs = 1;
    std::vector<Item> items;
    size_t position;
};

struct ConnectionPointTraits {
    static constexpr const IID& kIid = IID_IEnumConnectionPoints;
    static void Hold(IConnectionPoint* p) { p->AddRef(); }
    static void Drop(IConnectionPoint* p) { p->Release(); }
};
using ConnectionPointEnum = ComEnum<IEnumConnectionPoints, IConnectionPoint*, ConnectionPointTraits>;

struct ConnectionTraits {
    static constexpr const IID& kIid = IID_IEnumConnections;
    static void Hold(CONNECTDATA& c) { c.pUnk->AddRef(); }
    static void Drop(CONNECTDATA& c) { c.pUnk->Release(); }
};
using ConnectionEnum = ComEnum<IEnumConnections, CONNECTDATA, ConnectionTraits>;
