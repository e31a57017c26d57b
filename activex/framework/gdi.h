// Ownership types for GDI: every pen, brush, font, bitmap and DC is released
// by its destructor, and SelectGuard puts the previous object back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

// Owns one GDI object (pen, brush, font, bitmap) and deletes it.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle h) : handle(h) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    void Reset(Handle h = nullptr) {
        if (handle) DeleteObject(handle);
        handle = h;
    }
    Handle Get() const { return handle; }
    operator Handle() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }

private:
    Handle handle = nullptr;
};

class Pen : public GdiObject<HPEN> {
public:
    Pen(int style, int width, COLORREF colour) : GdiObject(CreatePen(style, width, colour)) {}
    // The usual 1-pixel solid pen.
    explicit Pen(COLORREF colour) : Pen(PS_SOLID, 1, colour) {}
};

class SolidBrush : public GdiObject<HBRUSH> {
public:
    explicit SolidBrush(COLORREF colour) : GdiObject(CreateSolidBrush(colour)) {}
};

using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;

// A top-down 32-bit DIB section (pixels 0x00RRGGBB, rows top to bottom, width
// pixels a row); `pixels` gets its memory, null when it cannot be made.
inline HBITMAP CreateTopDownDib32(HDC compatibleWith, int width, int height, void*& pixels) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    pixels = nullptr;
    return CreateDIBSection(compatibleWith, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
}

// Selects an object into a DC for one scope and selects the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (previous) SelectObject(dc, previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

// A memory DC (CreateCompatibleDC / DeleteDC).
class MemoryDC {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC compatibleWith) : dc(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() { Reset(); }
    MemoryDC(MemoryDC&& other) noexcept : dc(std::exchange(other.dc, nullptr)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept {
        if (this != &other) {
            Reset();
            dc = std::exchange(other.dc, nullptr);
        }
        return *this;
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    void Reset() {
        if (dc) DeleteDC(dc);
        dc = nullptr;
    }
    HDC Get() const { return dc; }
    operator HDC() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HDC dc = nullptr;
};

// An off-screen drawing surface: a memory DC with a bitmap of its own and,
// optionally, a font selected into it. It remembers what each selection
// replaced and puts it back before it deletes the bitmap and the DC.
class Surface {
public:
    Surface() = default;
    ~Surface() { Reset(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // A DC and a width x height bitmap, both compatible with `compatibleWith`
    // (pass a window's DC so the bitmap has the screen's colour format).
    bool Create(HDC compatibleWith, int width, int height) {
        Reset();
        dc = MemoryDC(compatibleWith);
        if (!dc) return false;
        return Resize(compatibleWith, width, height);
    }
    // A new bitmap of that size replaces the current one (its pixels are new).
    // On a 32-bit screen it is a top-down 32-bit DIB section, the screen's own
    // format, whose pixels Bits() lets the caller write without a GDI call.
    bool Resize(HDC compatibleWith, int width, int height) {
        if (!dc) return false;
        void* pixels = nullptr;
        Bitmap next(IsThirtyTwoBit(compatibleWith) ? CreateTopDownDib32(compatibleWith, width, height, pixels)
                                                   : nullptr);
        if (!next) {
            pixels = nullptr;
            next.Reset(CreateCompatibleBitmap(compatibleWith, width, height));
        }
        if (!next) return false;
        HGDIOBJ replaced = SelectObject(dc, next);
        if (!oldBitmap) oldBitmap = replaced;
        bitmap = std::move(next);
        bits = static_cast<uint32_t*>(pixels);
        size = {width, height};
        return true;
    }
    // Selects a font the caller keeps alive for as long as it is selected.
    void UseFont(HFONT font) {
        if (!dc || !font) return;
        HGDIOBJ replaced = SelectObject(dc, font);
        if (!oldFont) oldFont = replaced;
    }
    void Reset() {
        if (dc) {
            if (oldFont) SelectObject(dc, oldFont);
            if (oldBitmap) SelectObject(dc, oldBitmap);
        }
        oldFont = oldBitmap = nullptr;
        bitmap.Reset();
        dc.Reset();
        bits = nullptr;
        size = {};
    }

    HDC Get() const { return dc; }
    operator HDC() const { return dc; }
    explicit operator bool() const { return static_cast<bool>(dc); }
    HBITMAP BitmapHandle() const { return bitmap; }
    SIZE Size() const { return size; }
    // The DIB section's pixels (0x00RRGGBB, rows top to bottom, Size().cx a
    // row), or null for a device-format bitmap. GDI may still be drawing into
    // them until GdiFlush.
    uint32_t* Bits() const { return bits; }

private:
    static bool IsThirtyTwoBit(HDC compatibleWith) {
        return GetDeviceCaps(compatibleWith, BITSPIXEL) * GetDeviceCaps(compatibleWith, PLANES) == 32;
    }

    MemoryDC dc;
    Bitmap bitmap;
    uint32_t* bits = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldFont = nullptr;
    SIZE size{};
};

// GetDC / ReleaseDC of a window's client area.
class ClientDC {
public:
    explicit ClientDC(HWND hwnd) : hwnd(hwnd), dc(GetDC(hwnd)) {}
    ~ClientDC() {
        if (dc) ReleaseDC(hwnd, dc);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    operator HDC() const { return dc; }
    explicit operator bool() const { return dc != nullptr; }

private:
    HWND hwnd;
    HDC dc;
};

// BeginPaint / EndPaint for WM_PAINT handlers.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd(hwnd), dc(BeginPaint(hwnd, &ps)) {}
    ~PaintDC() { EndPaint(hwnd, &ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    operator HDC() const { return dc; }
    const PAINTSTRUCT& Info() const { return ps; }

private:
    HWND hwnd;
    PAINTSTRUCT ps{};
    HDC dc;
};

// Fills a rectangle with a solid colour through a brush that lives for this call.
inline void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
    SolidBrush brush(colour);
    FillRect(dc, &rect, brush);
}
