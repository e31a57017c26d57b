// OleControl: in-place activation, the in-place interfaces and IViewObject2.
#include "activex/framework/ole_control.h"

HRESULT OleControl::CreateControlWindow(HWND parent, const RECT& pos) {
    // Children must not be painted over by the placeholder drawing.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (!CreateEx(0, nullptr, nullptr, style, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, parent,
                  nullptr))
        return E_FAIL;
    return S_OK;
}

HRESULT OleControl::InPlaceActivate(LONG verb) {
    if (!clientSite) return E_UNEXPECTED;
    if (!inPlaceSite) {
        ComPtr<IOleInPlaceSite> site;
        if (FAILED(QueryInto(clientSite.Get(), IID_IOleInPlaceSite, site))) return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
        site->OnInPlaceActivate();
        inPlaceSite = site;

        HWND parent = nullptr;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        site->GetWindow(&parent);
        // Containers may hand back no document window (ATL's site does).
        site->GetWindowContext(inPlaceFrame.Put(), inPlaceDoc.Put(), &pos, &clip, &frameInfo);
        if (!m_hWnd && FAILED(CreateControlWindow(parent, pos))) {
            site->OnInPlaceDeactivate();
            inPlaceSite.Reset();
            inPlaceFrame.Reset();
            inPlaceDoc.Reset();
            return E_FAIL;
        }
    }
    if (m_hWnd) ShowWindow(m_hWnd, SW_SHOW);
    return (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY) ? UIActivate() : S_OK;
}

HRESULT OleControl::UIActivate() {
    if (uiActive) return S_OK;
    uiActive = true;
    inPlaceSite->OnUIActivate();
    if (m_hWnd) SetFocus(m_hWnd);
    IOleInPlaceActiveObject* active = this;
    if (inPlaceFrame) {
        inPlaceFrame->SetActiveObject(active, nullptr);
        inPlaceFrame->SetBorderSpace(nullptr);
    }
    if (inPlaceDoc) {
        inPlaceDoc->SetActiveObject(active, nullptr);
        inPlaceDoc->SetBorderSpace(nullptr);
    }
    return S_OK;
}

STDMETHODIMP OleControl::UIDeactivate() {
    if (!uiActive) return S_OK;
    uiActive = false;
    if (inPlaceFrame) inPlaceFrame->SetActiveObject(nullptr, nullptr);
    if (inPlaceDoc) inPlaceDoc->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite) inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP OleControl::InPlaceDeactivate() {
    if (!inPlaceSite) return S_OK;
    UIDeactivate();
    if (m_hWnd) DestroyWindow();
    // The site may release us from inside this call.
    ComPtr<IOleInPlaceSite> site = inPlaceSite;
    inPlaceSite.Reset();
    inPlaceFrame.Reset();
    inPlaceDoc.Reset();
    site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP OleControl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP OleControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    if (m_hWnd)
        SetWindowPos(m_hWnd, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP OleControl::ReactivateAndUndo() {
    return E_NOTIMPL;
}

namespace {

bool IsArrowKeyDown(const MSG& msg) {
    return msg.message == WM_KEYDOWN &&
           (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT || msg.wParam == VK_UP || msg.wParam == VK_DOWN);
}

}   // namespace

STDMETHODIMP OleControl::TranslateAccelerator(LPMSG msg) {
    if (!msg || !m_hWnd) return S_FALSE;
    if (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)) return S_FALSE;
    // Containers focus the control's own window; its arrow keys belong to the
    // window that handles them, and nothing else is to be done with them.
    HWND target = KeyboardWindow();
    if (uiActive && msg->hwnd == m_hWnd && target && IsArrowKeyDown(*msg)) {
        MSG routed = *msg;
        routed.hwnd = target;
        Wnd::WalkPreTranslateTree(target, &routed);
        return S_OK;
    }
    return Wnd::WalkPreTranslateTree(m_hWnd, msg) ? S_OK : S_FALSE;
}

STDMETHODIMP OleControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}
STDMETHODIMP OleControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}
STDMETHODIMP OleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}
STDMETHODIMP OleControl::EnableModeless(BOOL) {
    return S_OK;
}

// --- IViewObject2 ------------------------------------------------------------------

STDMETHODIMP OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                              BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!drawDc) return E_INVALIDARG;
    RECT rect{};
    if (bounds)
        rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    else if (m_hWnd)
        GetClientRect(m_hWnd, &rect);
    else
        return E_INVALIDARG;
    OnDraw(drawDc, rect);
    return S_OK;
}

STDMETHODIMP OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP OleControl::Freeze(DWORD, LONG, void*, DWORD*) {
    return E_NOTIMPL;
}
STDMETHODIMP OleControl::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects = aspects;
    viewFlags = flags;
    viewSink = sink;
    return S_OK;
}

STDMETHODIMP OleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects;
    if (flags) *flags = viewFlags;
    if (sink) {
        *sink = viewSink.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}
