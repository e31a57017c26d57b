#include "activex/framework/wnd.h"

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>

namespace {

// The window whose CreateWindowEx is in progress: messages before WM_NCCREATE
// (WM_GETMINMAXINFO) and WM_NCCREATE itself attach to it.
thread_local Wnd* creating = nullptr;

const char kPropName[] = "Sivarta.Wnd";

}   // namespace

HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
    return module;
}

Wnd::~Wnd() {
    if (m_hWnd && IsWindow(m_hWnd)) {
        // The object goes first: detach so late messages no longer reach it.
        RemovePropA(m_hWnd, kPropName);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

const char* Wnd::RegisterClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    using Key = std::tuple<UINT, HCURSOR, HBRUSH, HICON>;
    // Controls may be created on several apartment threads at once. A system
    // lock rather than std::mutex: its error path would pull the C++
    // library's exception helpers back into the OCX.
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::map<Key, std::string> registered;
    AcquireSRWLockExclusive(&lock);
    struct Release {
        ~Release() { ReleaseSRWLockExclusive(&lock); }
    } release;
    if (!cursor) cursor = LoadCursor(nullptr, IDC_ARROW);
    Key key{classStyle, cursor, background, icon};
    auto found = registered.find(key);
    if (found != registered.end()) return found->second.c_str();

    // Named after the module and the attributes, like the framework classes of old.
    char name[96];
    std::snprintf(name, sizeof name, "Sivarta:%p:%x:%p:%p:%p", static_cast<void*>(ModuleInstance()), classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    // Windows calls it as a stdcall WNDPROC on 32-bit systems.
    static_assert(std::is_same_v<decltype(&Wnd::StaticWindowProc), WNDPROC>);
    wc.lpfnWndProc = &Wnd::StaticWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return registered.emplace(key, name).first->second.c_str();
}

const char* Wnd::DefaultClassName() {
    return RegisterClass(CS_DBLCLKS);
}

BOOL Wnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                   int height, HWND parent, HMENU menuOrId) {
    if (m_hWnd) return FALSE;
    if (!className) className = DefaultClassName();
    Wnd* previous = creating;
    creating = this;
    HWND hwnd = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menuOrId,
                                ModuleInstance(), nullptr);
    creating = previous;
    if (!hwnd) {
        m_hWnd = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL Wnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(0, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

BOOL Wnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

Wnd* Wnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<Wnd*>(GetPropA(hwnd, kPropName));
}

BOOL Wnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL Wnd::WalkPreTranslateTree(HWND top, MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
        if (Wnd* wnd = FromHandle(hwnd); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (hwnd == top) break;
    }
    return FALSE;
}

LRESULT Wnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

LRESULT Wnd::Default() {
    return DefWindowProcA(m_hWnd, current.msg, current.wParam, current.lParam);
}

// No exception leaves a window procedure: a creation that throws is refused
// (-1, or FALSE for WM_NCCREATE), any other message answers 0.
LRESULT Wnd::GuardedWindowProc(Wnd& wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        return wnd.WindowProc(msg, wParam, lParam);
    } catch (...) {
        if (msg == WM_CREATE) return -1;
        return 0;
    }
}

LRESULT CALLBACK Wnd::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Wnd* wnd = FromHandle(hwnd);
    if (!wnd && creating) {
        wnd = creating;
        wnd->m_hWnd = hwnd;
        SetPropA(hwnd, kPropName, wnd);
    }
    if (!wnd) return DefWindowProcA(hwnd, msg, wParam, lParam);

    CurrentMessage saved = wnd->current;
    wnd->current = {msg, wParam, lParam};
    LRESULT result = GuardedWindowProc(*wnd, msg, wParam, lParam);
    wnd->current = saved;

    if (msg == WM_NCDESTROY) {
        RemovePropA(hwnd, kPropName);
        wnd->m_hWnd = nullptr;
        wnd->PostNcDestroy();
    }
    return result;
}
