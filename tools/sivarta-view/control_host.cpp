#include "control_host.h"

#include <cstdio>

std::string DescribeHResult(HRESULT hr) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    std::string result = text;
    char* message = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&message), 0, nullptr);
    if (length && message) {
        std::string words(message, length);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
            words.pop_back();
        result += " (" + words + ")";
    }
    LocalFree(message);
    return result;
}

namespace {

const std::string kNotRegistered =
    "SIVARTA.OCX is not registered: run scripts/wine-run regsvr32 /s <build>/win64/bin/SIVARTA.OCX";

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

HRESULT ResolveClassId(const std::wstring& classId, CLSID& clsid) {
    if (!classId.empty() && classId.front() == L'{') return CLSIDFromString(classId.c_str(), &clsid);
    return CLSIDFromProgID(classId.c_str(), &clsid);
}

}   // namespace

HRESULT ControlHost::Create(const std::wstring& classId, HWND frameWindow, std::string& error) {
    frame = frameWindow;
    CLSID clsid{};
    HRESULT hr = ResolveClassId(classId, clsid);
    if (FAILED(hr)) {
        error = classId.front() == L'{' ? "'" + Narrow(classId) + "' is not a valid CLSID"
                                        : kNotRegistered + " (no class for '" + Narrow(classId) + "')";
        return hr;
    }
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object.Put()));
    if (hr == REGDB_E_CLASSNOTREG) {
        error = kNotRegistered;
    } else if (FAILED(hr)) {
        error = "the control could not be created: " + DescribeHResult(hr);
    } else if (FAILED(hr = object.As(dispatch))) {
        error = "the control has no automation interface: " + DescribeHResult(hr);
    }
    if (SUCCEEDED(hr)) site.Attach(new ControlSite(frame));
    return hr;
}

HRESULT ControlHost::Load(IPropertyBag* bag, std::string& error) {
    DWORD status = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &status);
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        object->SetClientSite(site.Get());
        siteSet = true;
    }
    HRESULT hr = E_NOINTERFACE;
    ComPtr<IPersistPropertyBag> persist;
    if (SUCCEEDED(object.As(persist))) {
        hr = persist->Load(bag, nullptr);
    } else {
        ComPtr<IPersistStreamInit> fresh;
        if (SUCCEEDED(object.As(fresh))) hr = fresh->InitNew();
    }
    if (FAILED(hr)) error = "the control refused its parameters: " + DescribeHResult(hr);
    if (!siteSet) {
        object->SetClientSite(site.Get());
        siteSet = true;
    }
    return hr;
}

HRESULT ControlHost::ConnectEvents(REFIID eventIid, IUnknown* sink, std::string& error) {
    ComPtr<IConnectionPointContainer> points;
    HRESULT hr = object.As(points);
    if (SUCCEEDED(hr)) hr = points->FindConnectionPoint(eventIid, eventPoint.Put());
    if (SUCCEEDED(hr)) hr = eventPoint->Advise(sink, &eventCookie);
    if (FAILED(hr)) {
        eventPoint.Reset();
        error = "could not connect to the control's events: " + DescribeHResult(hr);
    }
    return hr;
}

HRESULT ControlHost::Activate(const RECT& objectRect, std::string& error) {
    site->SetObjectRect(objectRect);
    object->SetHostNames(L"sivarta-view", nullptr);
    // The extent in HIMETRIC, as a container tells an object its size before showing it.
    HDC screen = GetDC(nullptr);
    SIZEL extent{MulDiv(objectRect.right - objectRect.left, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                 MulDiv(objectRect.bottom - objectRect.top, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
    ReleaseDC(nullptr, screen);
    object->SetExtent(DVASPECT_CONTENT, &extent);
    RECT position = objectRect;
    HRESULT hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, frame, &position);
    if (FAILED(hr)) error = "the control could not be activated: " + DescribeHResult(hr);
    return hr;
}

void ControlHost::Resize(const RECT& objectRect) {
    if (!site) return;
    site->SetObjectRect(objectRect);
    ComPtr<IOleInPlaceObject> inPlace;
    if (object && SUCCEEDED(object.As(inPlace))) inPlace->SetObjectRects(&objectRect, &objectRect);
}

bool ControlHost::TranslateAccelerator(MSG* msg) {
    if (!object) return false;
    ComPtr<IOleInPlaceActiveObject> active = site ? site->ActiveObject() : nullptr;
    if (!active && FAILED(object.As(active))) return false;
    return active->TranslateAccelerator(msg) == S_OK;
}

HWND ControlHost::ControlWindow() const {
    ComPtr<IOleInPlaceObject> inPlace;
    HWND window = nullptr;
    if (object && SUCCEEDED(object.As(inPlace))) inPlace->GetWindow(&window);
    return window;
}

void ControlHost::Shutdown() {
    if (eventPoint) {
        eventPoint->Unadvise(eventCookie);
        eventPoint.Reset();
    }
    if (object) {
        object->Close(OLECLOSE_NOSAVE);
        if (siteSet) object->SetClientSite(nullptr);
    }
    dispatch.Reset();
    object.Reset();
    site.Reset();
}
