#include "activex/framework/property_page.h"

#include "activex/framework/com_guard.h"
#include "activex/framework/module_lock.h"
#include "activex/framework/wnd.h"

PropertyPage::PropertyPage(UINT dialogId, UINT captionString) : dialogId(dialogId), captionString(captionString) {
    ModuleLock::AddObject();
}

PropertyPage::~PropertyPage() {
    if (dialog) DestroyWindow(dialog);
    ModuleLock::ReleaseObject();
}

STDMETHODIMP PropertyPage::QueryInterface(REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyPage || iid == IID_IPropertyPage2) {
        *ppv = static_cast<IPropertyPage2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) PropertyPage::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

STDMETHODIMP_(ULONG) PropertyPage::Release() {
    LONG left = InterlockedDecrement(&refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* newSite) {
    site = newSite;
    return S_OK;
}

INT_PTR CALLBACK PropertyPage::DialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (dialog) return E_UNEXPECTED;
    dialog = CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(dialogId), parent, &DialogProc, 0);
    if (!dialog) return E_OUTOFMEMORY;
    if (rect) Move(rect);
    DoDataExchange(false);
    return S_OK;
}

STDMETHODIMP PropertyPage::Deactivate() {
    if (dialog) DestroyWindow(dialog);
    dialog = nullptr;
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    wchar_t caption[128] = L"";
    int length = LoadStringW(ModuleInstance(), captionString, caption, 128);
    info->cb = sizeof *info;
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    lstrcpynW(info->pszTitle, caption, length + 1);
    // The template's size in pixels: create it hidden once and measure.
    info->size = {0, 0};
    if (HWND probe =
            CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(dialogId), GetDesktopWindow(), &DialogProc, 0)) {
        RECT rc;
        GetWindowRect(probe, &rc);
        info->size = {rc.right - rc.left, rc.bottom - rc.top};
        DestroyWindow(probe);
    }
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP PropertyPage::SetObjects(ULONG count, IUnknown** newObjects) {
    if (count && !newObjects) return E_POINTER;
    return GuardCall([&] {
        objects.assign(newObjects, newObjects + count);
        return S_OK;
    });
}

STDMETHODIMP PropertyPage::Show(UINT cmdShow) {
    if (dialog) ShowWindow(dialog, static_cast<int>(cmdShow));
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (dialog) MoveWindow(dialog, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

// Nothing on the page edits a property, so it never holds unapplied changes.
STDMETHODIMP PropertyPage::IsPageDirty() {
    return S_FALSE;
}

STDMETHODIMP PropertyPage::Apply() {
    DoDataExchange(true);
    return S_OK;
}

STDMETHODIMP PropertyPage::Help(LPCOLESTR) {
    return E_NOTIMPL;
}

STDMETHODIMP PropertyPage::TranslateAccelerator(MSG* msg) {
    if (!msg || !dialog) return S_FALSE;
    return IsDialogMessageA(dialog, msg) ? S_OK : S_FALSE;
}

STDMETHODIMP PropertyPage::EditProperty(DISPID) {
    return E_NOTIMPL;
}
