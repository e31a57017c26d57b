#include "host_wnd.h"

#include <windowsx.h>

namespace {
// Where the window goes on the screen; fixed so snapshots are repeatable.
constexpr int kLeft = 32;
constexpr int kTop = 32;
}   // namespace

BOOL HostWnd::CreateHost(int clientWidth, int clientHeight, bool framed, const char* title) {
    DWORD style = framed ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const char* cls = RegisterClass(CS_DBLCLKS, nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return CreateEx(0, cls, title, style | WS_CLIPCHILDREN, kLeft, kTop, outer.right - outer.left,
                    outer.bottom - outer.top, nullptr, nullptr);
}

LRESULT HostWnd::WindowProc(UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate();
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return Default();
    }
}

void HostWnd::OnSize(int width, int height) {
    // The object follows the page area, as an object tag sized in percent would.
    host.Resize(RECT{0, 0, width, height});
}

void HostWnd::OnSetFocus() {
    // Keystrokes belong to the control while the host window is active.
    if (HWND control = host.ControlWindow()) SetFocus(control);
}

LRESULT HostWnd::OnMouseActivate() {
    // A click gives the keyboard to the window clicked, as a page focuses the
    // element clicked; the control then sees its keys in TranslateAccelerator.
    DWORD pos = GetMessagePos();
    HWND clicked = WindowFromPoint(POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)});
    if (clicked && IsChild(m_hWnd, clicked)) SetFocus(clicked);
    return MA_ACTIVATE;
}

void HostWnd::OnDestroy() {
    // Close the control while its window still has a parent.
    host.Shutdown();
    PostQuitMessage(0);
}
