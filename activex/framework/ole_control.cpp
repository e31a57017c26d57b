// OleControl: identity, automation, IOleObject, IOleControl, class info,
// property pages, connection points and the control's window.
#include "activex/framework/ole_control.h"

#include "activex/framework/com_enum.h"
#include "activex/framework/com_guard.h"
#include "activex/framework/gdi.h"
#include "activex/framework/module_lock.h"

namespace {

// The extent a control has before any container sets one: 100 x 50 pixels.
int32_t PixelsToHimetric(int pixels, int axis) {
    ClientDC screen(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, axis) : 96;
    if (dpi <= 0) dpi = 96;
    return static_cast<int32_t>(static_cast<int64_t>(pixels) * 2540 / dpi);
}

}   // namespace

OleControl::OleControl(const ClassInfo& info)
    : classInfo(info),
      extentX(PixelsToHimetric(100, LOGPIXELSX)),
      extentY(PixelsToHimetric(50, LOGPIXELSY)),
      events(this, info.eventIid) {
    ModuleLock::AddObject();
}

OleControl::~OleControl() {
    ModuleLock::ReleaseObject();
}

void* OleControl::FindInterface(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (iid == IID_IDispatch || iid == classInfo.dispatchIid) return static_cast<IDispatch*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) return static_cast<IOleInPlaceObject*>(this);
    if (iid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
    if (iid == IID_IOleControl) return static_cast<IOleControl*>(this);
    if (iid == IID_IViewObject || iid == IID_IViewObject2) return static_cast<IViewObject2*>(this);
    if (iid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IPersist) return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_IPersistStorage) return static_cast<IPersistStorage*>(this);
    if (iid == IID_IPersistMemory) return static_cast<IPersistMemory*>(this);
    if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
    if (iid == IID_ISpecifyPropertyPages) return static_cast<ISpecifyPropertyPages*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return FindExtraInterface(iid);
}

STDMETHODIMP OleControl::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = FindInterface(iid);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OleControl::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

STDMETHODIMP_(ULONG) OleControl::Release() {
    LONG left = InterlockedDecrement(&refs);
    if (left == 0) {
        // Destroy the window while the derived class can still see WM_DESTROY;
        // hold a guard reference so nothing in there deletes us twice.
        refs = 1;
        if (m_hWnd) DestroyWindow();
        delete this;
    }
    return static_cast<ULONG>(left);
}

// --- IDispatch ----------------------------------------------------------------

HRESULT OleControl::GetTypeLib(ITypeLib** lib) {
    if (!typeLib) {
        HRESULT hr = LoadRegTypeLib(classInfo.libid, classInfo.libMajor, classInfo.libMinor, 0, typeLib.Put());
        if (FAILED(hr)) {
            // Not registered (yet): the library is embedded in this module.
            wchar_t path[MAX_PATH];
            if (!GetModuleFileNameW(ModuleInstance(), path, MAX_PATH)) return hr;
            hr = LoadTypeLibEx(path, REGKIND_NONE, typeLib.Put());
            if (FAILED(hr)) return hr;
        }
    }
    *lib = typeLib.Get();
    (*lib)->AddRef();
    return S_OK;
}

STDMETHODIMP OleControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP OleControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ComPtr<ITypeLib> lib;
    HRESULT hr = GetTypeLib(lib.Put());
    return FAILED(hr) ? hr : lib->GetTypeInfoOfGuid(classInfo.dispatchIid, info);
}

STDMETHODIMP OleControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return GuardCall([&] { return DispGetIDsOfNames(names, count, ids); });
}

STDMETHODIMP OleControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO*, UINT* argErr) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return GuardCall([&] { return DispInvoke(id, flags, params, result, argErr); });
}

// --- IOleObject ----------------------------------------------------------------

STDMETHODIMP OleControl::SetClientSite(IOleClientSite* site) {
    clientSite = site;
    return S_OK;
}

STDMETHODIMP OleControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = clientSite.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP OleControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP OleControl::Close(DWORD saveOption) {
    InPlaceDeactivate();
    if (modified && clientSite && (saveOption == OLECLOSE_SAVEIFDIRTY)) clientSite->SaveObject();
    if (adviseHolder) adviseHolder->SendOnClose();
    return S_OK;
}

STDMETHODIMP OleControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT) {
    // Activation runs the window's creation, with its message boxes and
    // events: a container that drops its last reference meanwhile must not
    // leave us running on a freed object.
    ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
    if (site && !clientSite) clientSite = site;
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES:
        return OnProperties(parent);
    default:
        return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

STDMETHODIMP OleControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    return OleRegEnumVerbs(classInfo.clsid, verbs);
}

STDMETHODIMP OleControl::Update() {
    return S_OK;
}
STDMETHODIMP OleControl::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP OleControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = classInfo.clsid;
    return S_OK;
}

STDMETHODIMP OleControl::GetUserType(DWORD, LPOLESTR* name) {
    if (!name) return E_POINTER;
    wchar_t text[128];
    int length = LoadStringW(ModuleInstance(), classInfo.userTypeString, text, 128);
    if (length <= 0) return OleRegGetUserType(classInfo.clsid, USERCLASSTYPE_FULL, name);
    *name = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!*name) return E_OUTOFMEMORY;
    lstrcpynW(*name, text, length + 1);
    return S_OK;
}

STDMETHODIMP OleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    if (size->cx != extentX || size->cy != extentY) {
        extentX = size->cx;
        extentY = size->cy;
        SetModifiedFlag();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    size->cx = extentX;
    size->cy = extentY;
    return S_OK;
}

STDMETHODIMP OleControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    if (!adviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(adviseHolder.Put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder->Advise(sink, cookie);
}

STDMETHODIMP OleControl::Unadvise(DWORD cookie) {
    return adviseHolder ? adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP OleControl::EnumAdvise(IEnumSTATDATA** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    return adviseHolder ? adviseHolder->EnumAdvise(e) : S_OK;
}

STDMETHODIMP OleControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = classInfo.miscStatus;
    return S_OK;
}

STDMETHODIMP OleControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// --- IOleControl ---------------------------------------------------------------

STDMETHODIMP OleControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->cb = sizeof *info;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP OleControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}
STDMETHODIMP OleControl::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

STDMETHODIMP OleControl::FreezeEvents(BOOL freeze) {
    freezeCount += freeze ? 1 : (freezeCount > 0 ? -1 : 0);
    return S_OK;
}

void OleControl::FireEvent(DISPID id) {
    if (freezeCount != 0) return;
    // A sink may release the control from its handler.
    ComPtr<IUnknown> self(static_cast<IOleObject*>(this));
    GuardCall([&] {
        events.Fire(id);
        return S_OK;
    });
}

// --- Class info, property pages, connection points -------------------------------

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    HRESULT hr = GetTypeLib(lib.Put());
    return FAILED(hr) ? hr : lib->GetTypeInfoOfGuid(classInfo.clsid, info);
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = classInfo.eventIid;
    return S_OK;
}

STDMETHODIMP OleControl::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = classInfo.propertyPage;
    return S_OK;
}

STDMETHODIMP OleControl::EnumConnectionPoints(IEnumConnectionPoints** e) {
    if (!e) return E_POINTER;
    *e = nullptr;
    return GuardCall([&] { return ConnectionPointEnum::Create({&events}, 0, e); });
}

STDMETHODIMP OleControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != classInfo.eventIid) return CONNECT_E_NOCONNECTION;
    *point = &events;
    events.AddRef();
    return S_OK;
}

HRESULT OleControl::OnProperties(HWND parent) {
    IUnknown* self = static_cast<IOleObject*>(this);
    CLSID page = classInfo.propertyPage;
    wchar_t caption[128] = L"";
    LoadStringW(ModuleInstance(), classInfo.userTypeString, caption, 128);
    return OleCreatePropertyFrame(parent, 0, 0, caption, 1, &self, 1, &page, LOCALE_USER_DEFAULT, 0, nullptr);
}

// --- Window ----------------------------------------------------------------------

void OleControl::InvalidateControl() {
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
    else if (viewSink)
        viewSink->OnViewChange(DVASPECT_CONTENT, -1);
}

LRESULT OleControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate();
    default:
        return Wnd::WindowProc(msg, wParam, lParam);
    }
}

void OleControl::OnPaint() {
    PaintDC dc(m_hWnd);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    OnDraw(dc, client);
}

// A click anywhere in the control (its children pass the message up) makes
// it UI-active, as users expect: the container then offers it the keys.
LRESULT OleControl::OnMouseActivate() {
    LRESULT answer = Default();
    if (inPlaceSite && !uiActive) UIActivate();
    return answer;
}
