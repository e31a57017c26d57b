#include "activex/support/png_writer.h"

#include <wincodec.h>

#include <memory>
#include <vector>

#include "activex/framework/gdi.h"

namespace {

struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <typename T>
using Owned = std::unique_ptr<T, ComRelease>;

template <typename T>
Owned<T> Adopt(T* p) {
    return Owned<T>(p);
}

std::wstring Widen(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}   // namespace

HRESULT WritePng(const std::string& path, const uint8_t* bgr, UINT width, UINT height, UINT stride) {
    if (!bgr || width == 0 || height == 0) return E_INVALIDARG;
    const std::wstring widePath = Widen(path);
    if (widePath.empty()) return E_INVALIDARG;

    IWICImagingFactory* rawFactory = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&rawFactory));
    if (FAILED(hr)) return hr;
    auto factory = Adopt(rawFactory);

    IWICStream* rawStream = nullptr;
    if (FAILED(hr = factory->CreateStream(&rawStream))) return hr;
    auto stream = Adopt(rawStream);
    if (FAILED(hr = stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE))) return hr;

    IWICBitmapEncoder* rawEncoder = nullptr;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &rawEncoder))) return hr;
    auto encoder = Adopt(rawEncoder);
    if (FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return hr;

    IWICBitmapFrameEncode* rawFrame = nullptr;
    if (FAILED(hr = encoder->CreateNewFrame(&rawFrame, nullptr))) return hr;
    auto frame = Adopt(rawFrame);
    if (FAILED(hr = frame->Initialize(nullptr))) return hr;
    if (FAILED(hr = frame->SetSize(width, height))) return hr;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(hr = frame->SetPixelFormat(&format))) return hr;
    // The encoder may only offer another format; we hand it BGR rows only.
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    const UINT64 size = UINT64{stride} * height;
    if (size > 0xFFFFFFFFu) return E_INVALIDARG;
    if (FAILED(hr = frame->WritePixels(height, stride, static_cast<UINT>(size), const_cast<BYTE*>(bgr)))) return hr;
    if (FAILED(hr = frame->Commit())) return hr;
    return encoder->Commit();
}

HRESULT WritePngFromDC(const std::string& path, HDC source, int width, int height) {
    return WritePngFromDC(path, source, RECT{0, 0, width, height});
}

HRESULT WritePngFromScreen(const std::string& path, const RECT& area) {
    ClientDC screen(nullptr);
    return WritePngFromDC(path, screen, area);
}

HRESULT WritePngFromDC(const std::string& path, HDC source, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!source || width <= 0 || height <= 0) return E_INVALIDARG;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;   // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap dib(CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return E_OUTOFMEMORY;
    MemoryDC copy(source);
    if (!copy) return E_FAIL;
    {
        SelectGuard guard(copy, dib);
        if (!BitBlt(copy, 0, 0, width, height, source, area.left, area.top, SRCCOPY)) return E_FAIL;
    }
    GdiFlush();
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;   // DIB rows are 4-byte aligned
    return WritePng(path, static_cast<const uint8_t*>(bits), static_cast<UINT>(width), static_cast<UINT>(height),
                    stride);
}
