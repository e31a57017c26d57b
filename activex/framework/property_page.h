// PropertyPage: IPropertyPage2 over a dialog template. The page is a child
// dialog created inside the property frame's window; its caption is a
// resource string. A page binds no control to a property unless a derived
// class applies something, so Apply changes nothing here.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "activex/framework/com_ptr.h"

class PropertyPage : public IPropertyPage2 {
public:
    PropertyPage(UINT dialogId, UINT captionString);
    virtual ~PropertyPage();

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT cmdShow) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;
    STDMETHODIMP EditProperty(DISPID id) override;

    HWND Window() const { return dialog; }

protected:
    // The page's data exchange towards its objects; the default binds nothing.
    virtual void DoDataExchange(bool toObjects) { (void)toObjects; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    LONG refs = 1;
    UINT dialogId;
    UINT captionString;
    HWND dialog = nullptr;
    ComPtr<IPropertyPageSite> site;
    std::vector<ComPtr<IUnknown>> objects;
};
