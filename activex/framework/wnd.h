// Wnd: the window base of every window class of the control. It owns one HWND,
// registers window classes, and routes each message to the derived class's
// WindowProc switch (its message map); what a class does not handle goes to
// Default(), the system's default procedure.
#pragma once

#include <windows.h>

class Wnd {
public:
    Wnd() = default;
    virtual ~Wnd();
    Wnd(const Wnd&) = delete;
    Wnd& operator=(const Wnd&) = delete;

    // Registers (once per distinct set of arguments) a window class that routes
    // to Wnd objects and returns its name. A null cursor means the arrow.
    static const char* RegisterClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                     HICON icon = nullptr);
    // The class used when Create is given no class name: no background brush,
    // arrow cursor, double clicks.
    static const char* DefaultClassName();

    // Creates the window; a null className means DefaultClassName(). The parent
    // may be null for a popup. Returns FALSE when the system (or our own
    // OnCreate, by returning -1) refused the window.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menuOrId);
    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, HWND parent, UINT id);
    BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The Wnd object behind a window created through this class, or nullptr.
    static Wnd* FromHandle(HWND hwnd);

    // Hook for messages before they are dispatched (keyboard). Return TRUE when
    // the message is consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers msg to PreTranslateMessage of its window and then each ancestor
    // that is a Wnd, up to and including `top` (or to the root when null).
    // Message loops and IOleInPlaceActiveObject::TranslateAccelerator call this.
    static BOOL WalkPreTranslateTree(HWND top, MSG* msg);

    HWND m_hWnd = nullptr;

protected:
    // The message map. Derived classes switch on msg and call Default() (or
    // their base's WindowProc) for everything they do not handle.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The system's default handling of the message being processed.
    LRESULT Default();
    // Called after WM_NCDESTROY, when the HWND is gone.
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT GuardedWindowProc(Wnd& wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage current{};
};

// The module (DLL or EXE) that contains this code: used for resources and classes.
HINSTANCE ModuleInstance();
