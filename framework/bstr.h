// Bstr: owns one BSTR. AnsiToBstr / BstrToAnsi convert with the system's ANSI
// code page (CP_ACP), the way the control's 8-bit strings meet automation.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(BSTR adopt) : str(adopt) {}
    explicit Bstr(const wchar_t* text) : str(SysAllocString(text)) {}
    Bstr(Bstr&& other) noexcept : str(std::exchange(other.str, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(str);
            str = std::exchange(other.str, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(str); }

    BSTR Get() const { return str; }
    BSTR* Put() {
        SysFreeString(std::exchange(str, nullptr));
        return &str;
    }
    BSTR Detach() { return std::exchange(str, nullptr); }
    UINT Length() const { return SysStringLen(str); }

private:
    BSTR str = nullptr;
};

// A new BSTR holding `text` converted from CP_ACP; nullptr only when out of memory.
BSTR AnsiToBstr(const std::string& text);
// The BSTR's text in CP_ACP (a null BSTR is the empty string).
std::string BstrToAnsi(BSTR text);
