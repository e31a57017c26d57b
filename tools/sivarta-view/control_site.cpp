#include "control_site.h"

ControlSite::ControlSite(HWND frame) : frame(frame) {}

STDMETHODIMP ControlSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
        *ppv = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
        *ppv = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ControlSite::AddRef() {
    return InterlockedIncrement(&refs);
}

STDMETHODIMP_(ULONG) ControlSite::Release() {
    ULONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return left;
}

// --- IOleClientSite: no document to save, name or enumerate ---------------

STDMETHODIMP ControlSite::SaveObject() {
    return S_OK;
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::ShowObject() {
    return S_OK;
}
STDMETHODIMP ControlSite::OnShowWindow(BOOL) {
    return S_OK;
}
STDMETHODIMP ControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// --- IOleWindow ------------------------------------------------------------

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = frame;
    return S_OK;
}

STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// --- IOleInPlaceSite -------------------------------------------------------

STDMETHODIMP ControlSite::CanInPlaceActivate() {
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceActivate() {
    inPlaceActive = true;
    return S_OK;
}

STDMETHODIMP ControlSite::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frameOut, IOleInPlaceUIWindow** document, RECT* position,
                                           RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (!frameOut || !document || !position || !clip || !info) return E_POINTER;
    *frameOut = this;
    AddRef();
    *document = nullptr;   // a single-document host: the frame is the document
    *position = objectRect;
    *clip = objectRect;
    info->fMDIApp = FALSE;
    info->hwndFrame = frame;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}
STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
    inPlaceActive = false;
    activeObject.Reset();
    return S_OK;
}

STDMETHODIMP ControlSite::DiscardUndoState() {
    return E_NOTIMPL;
}
STDMETHODIMP ControlSite::DeactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::OnPosRectChange(const RECT* position) {
    if (!position) return E_POINTER;
    // The object asks for a new place; the host grants it as asked.
    objectRect = *position;
    return S_OK;
}

// --- IOleInPlaceUIWindow / IOleInPlaceFrame: no menus, toolbars or status bar

STDMETHODIMP ControlSite::GetBorder(RECT* border) {
    if (border) SetRectEmpty(border);
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP ControlSite::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}
STDMETHODIMP ControlSite::SetBorderSpace(LPCBORDERWIDTHS) {
    return OLE_E_INVALIDRECT;
}

STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    activeObject = object;
    return S_OK;
}

STDMETHODIMP ControlSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return S_OK;
}
STDMETHODIMP ControlSite::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}
STDMETHODIMP ControlSite::RemoveMenus(HMENU) {
    return S_OK;
}
STDMETHODIMP ControlSite::SetStatusText(LPCOLESTR) {
    return S_OK;
}
STDMETHODIMP ControlSite::EnableModeless(BOOL) {
    return S_OK;
}
STDMETHODIMP ControlSite::TranslateAccelerator(MSG*, WORD) {
    return S_FALSE;
}
