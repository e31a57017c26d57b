#include "activex/chart/tip_wnd.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "activex/chart/scene_replay.h"
#include "interact/tip_scene.h"
#include "interact/tip_segments.h"

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

int32_t TextWidth(HDC dc, std::string_view text) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(std::min<size_t>(text.size(), INT_MAX)), &extent);
    return extent.cx;
}

}   // namespace

TipWnd::~TipWnd() {
    // Destroyed while the object is whole, so OnDestroy still releases the buffer.
    if (m_hWnd) DestroyWindow();
}

LRESULT TipWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return Default();
}

void TipWnd::CreateTip(const RECT& rect, COLORREF text, COLORREF back, COLORREF outline, const char* faceName,
                       bool hidden) {
    const char* className = RegisterClass(CS_SAVEBITS | CS_VREDRAW);
    if (!className) return;
    strClassName = className;
    const int width = std::max(0, Width(rect));
    const int height = std::max(0, Height(rect));
    // A plain popup shown without activation: with WS_CHILD added the system
    // drops WS_EX_TOPMOST and the tooltip falls behind the host's window, and
    // an activating show would take the keyboard focus from the host.
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, nullptr, WS_POPUP, rect.left, rect.top, width, height,
                  GetDesktopWindow(), nullptr))
        return;
    if (!hidden) ShowWindow(m_hWnd, SW_SHOWNA);
    rcBuffer = {0, 0, width, height};
    crText = text;
    crBack = back;
    crOutline = outline;

    LOGFONTA logFont{};
    logFont.lfHeight = kChartFontHeight;
    logFont.lfCharSet = HANGEUL_CHARSET;
    std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
    fontTip.Reset(CreateFontIndirectA(&logFont));
    nTextHeight = kTipTextHeight;

    ClientDC dc(m_hWnd);
    dcTip.Create(dc, width, height);
    dcTip.UseFont(fontTip);
    FillBuffer();
}

void TipWnd::ClearText() {
    strSegments.clear();
}

void TipWnd::AddSegment(const char* text, int32_t colour) {
    strSegments += MakeTipSegment(text ? text : "", colour);
}

void TipWnd::LayoutText() {
    if (!m_hWnd || !dcTip) return;
    Scene scene;
    const int width = BuildTipScene(scene, strSegments, Height(rcBuffer), {crBack, crOutline},
                                    [this](std::string_view text) { return TextWidth(dcTip, text); });
    GrowBuffer(width);

    FillBuffer();
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MoveWindow(m_hWnd, window.left, window.top, width, Height(window), TRUE);
    ReplayScene(dcTip, scene, {fontTip, fontTip});
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void TipWnd::GrowBuffer(int width) {
    // A line wider than the buffer would lose its end and the right edge of
    // its outline: the buffer grows to the line (it never shrinks).
    if (width <= Width(rcBuffer)) return;
    ClientDC dc(m_hWnd);
    if (!dcTip.Resize(dc, width, Height(rcBuffer))) return;
    rcBuffer.right = rcBuffer.left + width;
}

void TipWnd::FillBuffer() {
    FillSolidRect(dcTip, rcBuffer, crBack);
    ClientDC dc(m_hWnd);
    BitBlt(dc, rcBuffer.left, rcBuffer.top, Width(rcBuffer), Height(rcBuffer), dcTip, 0, 0, SRCCOPY);
}

void TipWnd::OnPaint() {
    PaintDC dc(m_hWnd);
    BitBlt(dc, rcBuffer.left, rcBuffer.top, Width(rcBuffer), Height(rcBuffer), dcTip, 0, 0, SRCCOPY);
}

void TipWnd::OnSize(UINT, int, int) {
    Default();
    if (!dcTip) return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    Scene outline;
    outline.Reset(rcBuffer.right, rcBuffer.bottom);
    AddTipOutline(outline, client.right, client.bottom, crOutline);
    ReplayScene(dcTip, outline, {});
}

void TipWnd::OnDestroy() {
    dcTip.Reset();
    fontTip.Reset();
    Default();
}
