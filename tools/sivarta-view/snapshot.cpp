#include "snapshot.h"

#include "framework/gdi.h"
#include "framework/png_writer.h"

namespace {

// A top-down 24-bit DIB section with the screen's pixels of `area`.
HRESULT CopyScreen(const RECT& area, Bitmap& bitmap, void*& bits, UINT& stride) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return E_INVALIDARG;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ClientDC screen(nullptr);
    bitmap.Reset(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return E_OUTOFMEMORY;
    stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    MemoryDC memory(screen);
    SelectGuard select(memory, bitmap);
    if (!BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) return E_FAIL;
    GdiFlush();
    return S_OK;
}

struct PopupSearch {
    HWND frame;
    DWORD process;
    RECT area;
};

BOOL CALLBACK AddPopup(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PopupSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT rect;
    if (window != search->frame && process == search->process && IsWindowVisible(window) &&
        GetWindowRect(window, &rect) && !IsRectEmpty(&rect))
        UnionRect(&search->area, &search->area, &rect);
    return TRUE;
}

}  // namespace

HRESULT SaveScreenArea(const RECT& area, const std::string& path) {
    Bitmap bitmap;
    void* bits = nullptr;
    UINT stride = 0;
    HRESULT hr = CopyScreen(area, bitmap, bits, stride);
    if (FAILED(hr)) return hr;
    return WritePng(path, static_cast<const uint8_t*>(bits), area.right - area.left, area.bottom - area.top, stride);
}

RECT VisiblePopupsRect(HWND frame) {
    PopupSearch search{frame, GetCurrentProcessId(), {}};
    EnumWindows(AddPopup, reinterpret_cast<LPARAM>(&search));
    return search.area;
}
