// Ownership of WinINet handles: the InternetOpen, connection and request handles
// are all closed by InternetCloseHandle, on every path.
#pragma once

#include <windows.h>
#include <wininet.h>

class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    void Reset(HINTERNET h = nullptr) {
        if (handle) InternetCloseHandle(handle);
        handle = h;
    }
    HINTERNET Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    HINTERNET handle = nullptr;
};
