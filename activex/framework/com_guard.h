// No exception crosses a COM method or a window procedure: entry points that
// can allocate run their body through GuardCall, which turns an allocation
// failure into E_OUTOFMEMORY (anything else thrown into E_UNEXPECTED).
#pragma once

#include <windows.h>

#include <new>

template <typename Body>
HRESULT GuardCall(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
