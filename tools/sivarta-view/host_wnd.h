// HostWnd: the host's top-level window. Its client area is the page area that
// holds the object; the control's in-place window lives in it.
#pragma once

#include <windows.h>

#include "control_host.h"
#include "activex/framework/wnd.h"

class HostWnd : public Wnd {
public:
    explicit HostWnd(ControlHost& host) : host(host) {}

    // A popup (no frame) for snapshots, so the client area is the whole window;
    // a normal overlapped window otherwise.
    BOOL CreateHost(int clientWidth, int clientHeight, bool framed, const char* title);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnSize(int width, int height);
    void OnSetFocus();
    LRESULT OnMouseActivate();
    void OnDestroy();

    ControlHost& host;
};
