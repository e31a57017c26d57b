// OleControl: the container-facing side of an ActiveX control over real OLE.
// It implements the interfaces a container or script host asks for, creates
// the control's window (a Wnd) as a child of the site's window on in-place
// activation, and routes persistence through the derived class's
// DoPropExchange. A derived control supplies its dispatch table, its drawing
// and its message map.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

#include "activex/framework/com_ptr.h"
#include "activex/framework/connection_point.h"
#include "activex/framework/prop_exchange.h"
#include "activex/framework/wnd.h"

class OleControl : public Wnd,
                   public IDispatch,
                   public IOleObject,
                   public IOleInPlaceObject,
                   public IOleInPlaceActiveObject,
                   public IOleControl,
                   public IViewObject2,
                   public IPersistStreamInit,
                   public IPersistPropertyBag,
                   public IPersistStorage,
                   public IPersistMemory,
                   public IProvideClassInfo2,
                   public ISpecifyPropertyPages,
                   public IConnectionPointContainer {
public:
    // What the class answers the container (registration has the same facts).
    struct ClassInfo {
        const CLSID& clsid;
        const IID& dispatchIid;
        const IID& eventIid;
        const GUID& libid;
        WORD libMajor;
        WORD libMinor;
        DWORD miscStatus;
        UINT userTypeString;   // resource string with the user type name
        const CLSID& propertyPage;
    };

    explicit OleControl(const ClassInfo& info);
    ~OleControl() override;

    // The interface pointer QueryInterface would return, without AddRef.
    void* FindInterface(REFIID iid);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT pos) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDc, HDC drawDc,
                      LPCRECTL bounds, LPCRECTL wBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDc,
                             LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* cookie) override;
    STDMETHODIMP Unfreeze(DWORD cookie) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

    // IPersist family
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(LPVOID memory, ULONG size) override;
    STDMETHODIMP Save(LPVOID memory, BOOL clearDirty, ULONG size) override;
    STDMETHODIMP GetSizeMax(ULONG* size) override;

    // IProvideClassInfo2, ISpecifyPropertyPages, IConnectionPointContainer
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
    STDMETHODIMP GetPages(CAUUID* pages) override;
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

protected:
    // Interfaces a derived control adds (nullptr when it has none for iid).
    virtual void* FindExtraInterface(REFIID) { return nullptr; }
    virtual HRESULT DispGetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) = 0;
    virtual HRESULT DispInvoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) = 0;
    // The persisted entries; the base exchanges the extent and the stock
    // property mask.
    virtual void DoPropExchange(PropExchange& px);
    virtual void OnResetState();
    virtual void OnDraw(HDC dc, const RECT& bounds) = 0;
    // The Properties verb: the control's property pages in a property frame.
    virtual HRESULT OnProperties(HWND parent);

    void ExchangeVersion(PropExchange& px, int32_t current) { px.ExchangeVersion(loadedVersion, current); }
    void SetModifiedFlag(bool value = true) { modified = value; }
    void FireEvent(DISPID id);
    void InvalidateControl();
    HRESULT GetTypeLib(ITypeLib** lib);

    // The window that takes arrow keys meant for the control (none: the
    // control's own window keeps them).
    virtual HWND KeyboardWindow() const { return nullptr; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    LRESULT OnMouseActivate();

    int32_t loadedVersion = 0;
    const ClassInfo& classInfo;

private:
    HRESULT InPlaceActivate(LONG verb);
    HRESULT UIActivate();
    HRESULT CreateControlWindow(HWND parent, const RECT& pos);
    HRESULT AfterLoad(HRESULT loaded);

    LONG refs = 1;
    bool modified = false;
    bool uiActive = false;
    int freezeCount = 0;
    int32_t extentX;   // HIMETRIC
    int32_t extentY;
    int32_t stockProps = 0;   // no stock properties
    ComPtr<IOleClientSite> clientSite;
    ComPtr<IOleInPlaceSite> inPlaceSite;
    ComPtr<IOleInPlaceFrame> inPlaceFrame;
    ComPtr<IOleInPlaceUIWindow> inPlaceDoc;
    ComPtr<IOleAdviseHolder> adviseHolder;
    ComPtr<IAdviseSink> viewSink;
    DWORD viewAspects = 0;
    DWORD viewFlags = 0;
    ComPtr<ITypeLib> typeLib;
    EventConnectionPoint events;
};
