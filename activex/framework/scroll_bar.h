// ScrollBar: owns one "SCROLLBAR" child control. A thin wrapper over the
// scroll bar control messages; the window goes with the object.
#pragma once

#include <windows.h>

class ScrollBar {
public:
    ScrollBar() = default;
    ~ScrollBar() { Destroy(); }
    ScrollBar(const ScrollBar&) = delete;
    ScrollBar& operator=(const ScrollBar&) = delete;

    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        if (hwnd) return FALSE;
        hwnd = CreateWindowExA(0, "SCROLLBAR", nullptr, style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
        return hwnd != nullptr;
    }
    void Destroy() {
        if (hwnd && IsWindow(hwnd)) ::DestroyWindow(hwnd);
        hwnd = nullptr;
    }

    void Show(int command) const {
        if (hwnd) ShowWindow(hwnd, command);
    }
    void Move(const RECT& rect, BOOL repaint) const {
        if (hwnd) MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
    }
    void SetScrollInfo(SCROLLINFO info, BOOL redraw) const {
        info.cbSize = sizeof info;
        if (hwnd) ::SetScrollInfo(hwnd, SB_CTL, &info, redraw);
    }
    void SetScrollRange(int minPos, int maxPos, BOOL redraw) const {
        if (hwnd) ::SetScrollRange(hwnd, SB_CTL, minPos, maxPos, redraw);
    }
    void SetScrollPos(int pos, BOOL redraw) const {
        if (hwnd) ::SetScrollPos(hwnd, SB_CTL, pos, redraw);
    }
    BOOL GetScrollInfo(SCROLLINFO& info) const {
        info.cbSize = sizeof info;
        return hwnd ? ::GetScrollInfo(hwnd, SB_CTL, &info) : FALSE;
    }

    HWND GetSafeHwnd() const { return hwnd; }

private:
    HWND hwnd = nullptr;
};
