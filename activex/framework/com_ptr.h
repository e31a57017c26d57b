// ComPtr: owns one interface reference (AddRef on copy, Release on reset).
#pragma once

#include <unknwn.h>

#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : ptr(p) {   // NOLINT: adopts by AddRef, like a copy
        if (ptr) ptr->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.ptr) {}
    ComPtr(ComPtr&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr, other.ptr);
        return *this;
    }

    void Reset() {
        if (ptr) std::exchange(ptr, nullptr)->Release();
    }
    // Takes over a reference the caller already owns (no AddRef), e.g. a fresh `new`.
    void Attach(T* p) {
        Reset();
        ptr = p;
    }
    // For out parameters: releases what is held and hands out the slot.
    T** Put() {
        Reset();
        return &ptr;
    }
    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }

    // QueryInterface for U's own IID into `to`; what `to` held is released first.
    template <typename U>
    HRESULT As(ComPtr<U>& to) const;

private:
    T* ptr = nullptr;
};

// QueryInterface into a ComPtr; S_OK or the failure of the call.
template <typename T>
HRESULT QueryInto(IUnknown* from, REFIID iid, ComPtr<T>& to) {
    to.Reset();
    if (!from) return E_POINTER;
    return from->QueryInterface(iid, reinterpret_cast<void**>(to.Put()));
}

template <typename T>
template <typename U>
HRESULT ComPtr<T>::As(ComPtr<U>& to) const {
    return QueryInto(ptr, __uuidof(U), to);
}
