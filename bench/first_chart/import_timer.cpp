#include "bench/first_chart/import_timer.h"

#include <winsock2.h>
#include <wininet.h>

#include <cstring>

namespace {

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

struct Hook {
    const char* dll;
    const char* name;
    void* wrapper;
    void** original;
    ImportTotal* total;
};

std::vector<Hook>& Hooks() {
    static std::vector<Hook> hooks;
    return hooks;
}

// Time inside the hooked calls now running on this thread, so that a call
// (CreateWindowEx sending WM_CREATE) is charged only for what its own
// hooked calls did not take.
thread_local int64_t nestedTicks = 0;

class Span {
public:
    explicit Span(ImportTotal& total) : total(total), outer(nestedTicks), begun(Ticks()) { nestedTicks = 0; }
    ~Span() {
        const int64_t elapsed = Ticks() - begun;
        total.ticks += elapsed - nestedTicks;
        ++total.calls;
        nestedTicks = outer + elapsed;
    }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    ImportTotal& total;
    int64_t outer;
    int64_t begun;
};

// One wrapper per function: calls the original and adds the time taken.
template <int Id, typename Fn>
struct Timed;
template <int Id, typename R, typename... A>
struct Timed<Id, R (*)(A...)> {
    static inline R (*original)(A...) = nullptr;
    static inline ImportTotal total{""};
    static R Call(A... a) {
        Span span(total);
        return original(a...);
    }
};

template <int Id, typename Fn>
Hook MakeHook(const char* dll, const char* name, Fn) {
    using T = Timed<Id, Fn>;
    T::total.name = name;
    return {dll, name, reinterpret_cast<void*>(&T::Call), reinterpret_cast<void**>(&T::original), &T::total};
}

#define TIMED(dll, fn) MakeHook<__COUNTER__>(dll, #fn, &fn)

const std::vector<Hook>& AllHooks() {
    static const std::vector<Hook> hooks = {
        TIMED("wininet.dll", InternetOpenA),
        TIMED("wininet.dll", InternetConnectA),
        TIMED("wininet.dll", HttpOpenRequestA),
        TIMED("wininet.dll", HttpSendRequestA),
        TIMED("wininet.dll", HttpQueryInfoA),
        TIMED("wininet.dll", InternetQueryDataAvailable),
        TIMED("wininet.dll", InternetReadFile),
        TIMED("wininet.dll", InternetCloseHandle),
        TIMED("wininet.dll", InternetSetOptionA),
        TIMED("wininet.dll", InternetCrackUrlA),
        TIMED("kernel32.dll", CreateFileW),
        TIMED("kernel32.dll", WriteFile),
        TIMED("kernel32.dll", ReadFile),
        TIMED("kernel32.dll", DeleteFileW),
        TIMED("kernel32.dll", CloseHandle),
        TIMED("gdi32.dll", CreateFontIndirectA),
        TIMED("gdi32.dll", CreateCompatibleBitmap),
        TIMED("gdi32.dll", CreateCompatibleDC),
        TIMED("gdi32.dll", BitBlt),
        TIMED("gdi32.dll", PatBlt),
        TIMED("gdi32.dll", GetTextExtentPoint32A),
        TIMED("gdi32.dll", SelectObject),
        TIMED("user32.dll", DrawTextA),
        TIMED("user32.dll", FillRect),
        TIMED("user32.dll", CreateWindowExA),
        TIMED("user32.dll", ShowWindow),
        TIMED("user32.dll", SetScrollInfo),
        TIMED("user32.dll", MoveWindow),
        TIMED("user32.dll", SetWindowPos),
        TIMED("user32.dll", InvalidateRect),
        TIMED("user32.dll", RegisterClassExA),
        TIMED("user32.dll", GetDC),
        TIMED("ws2_32.dll", WSAStartup),
    };
    return hooks;
}

const Hook* Find(const char* dll, const char* name) {
    for (const Hook& hook : AllHooks())
        if (!lstrcmpiA(hook.dll, dll) && !std::strcmp(hook.name, name)) return &hook;
    return nullptr;
}

template <typename T>
T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

}   // namespace

int TimeImports(HMODULE module) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int patched = 0;
    for (auto* desc = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); desc->Name; ++desc) {
        const char* dll = At<const char>(module, desc->Name);
        auto* names = At<IMAGE_THUNK_DATA>(module, desc->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            const Hook* hook = Find(dll, reinterpret_cast<const char*>(byName->Name));
            if (!hook) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            *hook->original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook->wrapper);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            Hooks().push_back(*hook);
            ++patched;
        }
    }
    return patched;
}

std::vector<ImportTotal> ImportTotals() {
    std::vector<ImportTotal> totals;
    for (const Hook& hook : Hooks()) totals.push_back(*hook.total);
    return totals;
}
