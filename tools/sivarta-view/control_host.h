// ControlHost: one embedded control, driven the way a browser drives an object
// tag: create, site, load the PARAM bag, connect the event sink, in-place
// activate, resize, and close again.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>

#include "control_site.h"
#include "activex/framework/com_ptr.h"

class ControlHost {
public:
    ControlHost() = default;
    ~ControlHost() { Shutdown(); }
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Resolves a ProgID or "{CLSID}" and creates the object. On failure `error`
    // says what went wrong in words a user can act on.
    HRESULT Create(const std::wstring& classId, HWND frame, std::string& error);
    // Sets the client site first when the object asks for that, loads the bag
    // before activation (like PARAM tags), and connects `sink` to the default
    // source interface `eventIid`.
    HRESULT Load(IPropertyBag* bag, std::string& error);
    HRESULT ConnectEvents(REFIID eventIid, IUnknown* sink, std::string& error);
    HRESULT Activate(const RECT& objectRect, std::string& error);

    void Resize(const RECT& objectRect);
    // Gives the control the first look at a keystroke; true when it took it.
    bool TranslateAccelerator(MSG* msg);
    // The control's own window (the in-place window), or null.
    HWND ControlWindow() const;
    IDispatch* Dispatch() const { return dispatch.Get(); }
    // Close, disconnect, SetClientSite(NULL), release. Safe to call twice.
    void Shutdown();

private:
    HWND frame = nullptr;
    ComPtr<IOleObject> object;
    ComPtr<IDispatch> dispatch;
    ComPtr<ControlSite> site;
    ComPtr<IConnectionPoint> eventPoint;
    DWORD eventCookie = 0;
    bool siteSet = false;
};

// "0x80040154" style text of an HRESULT, with the system's message when it has one.
std::string DescribeHResult(HRESULT hr);
