// The redraw pass: pane layout, range pass, price and volume scales, candles,
// volume bars, time labels and the current-price strip, all into dcMem. The
// arithmetic is in chart_geometry/chart_scales/chart_text; this file draws.
#include <algorithm>
#include <cstdio>

#include "chart/chart_scales.h"
#include "chart/chart_text.h"
#include "chart/win/chart_wnd.h"
#include "chart/win/rect_convert.h"
#include "framework/scroll_bar.h"
#include "interact/format_thousands.h"

namespace {

// Korean texts, stored as code page 949 bytes by the compiler.
constexpr char kStripFormat[] = "%s월%s일 현재가%s 거래량%s";
constexpr char kTenThousandsFormat[] = "%.0f만";

// A horizontal line from x0 to x1 (end point excluded) in the selected pen.
void HLine(HDC dc, int x0, int x1, int y) {
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
}

void VLine(HDC dc, int x, int y0, int y1) {
    MoveToEx(dc, x, y0, nullptr);
    LineTo(dc, x, y1);
}

void DrawLabel(HDC dc, const std::string& text, RECT rect, UINT format) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

bool HasArea(const RECT& r) {
    return r.right > r.left && r.bottom > r.top;
}

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void ChartWnd::LayoutPanes(BOOL bResetScroll) {
    if (m_hWnd) GetClientRect(m_hWnd, &rcClient);
    FillSolidRect(dcMem, rcClient, crMainBackGround);

    const PaneLayout layout = ComputePaneLayout(
        ToRect(rcClient), {nsizeGapX, nsizeGapY, nIsCurrentBar, nCurrentBarHeight});
    rcValue = ToRECT(layout.value);
    rcVolume = ToRECT(layout.volume);
    rcBox = ToRECT(layout.box);
    nBoxWidth = layout.boxWidth;
    nViewCount = layout.viewCount;

    if (bResetScroll) {
        if (pScrollBar) pScrollBar->Move(ToRECT(layout.scrollStrip), TRUE);
        series.nStartIndex = ScrollStartIndex(series.Count(), nViewCount);
        series.nScrollMax = series.nStartIndex;
    }

    // A window too small for a pane shows only its background.
    Pen pen(crBoxLine);
    SelectGuard penGuard(dcMem, pen);
    if (HasArea(rcBox)) {
        SolidBrush brush(crValueBackGround);
        SelectGuard brushGuard(dcMem, brush);
        Rectangle(dcMem, rcBox.left, rcBox.top, rcBox.right, rcBox.bottom);
    }
    if (HasArea(rcVolume)) {
        SolidBrush brush(crVolumeBackGround);
        SelectGuard brushGuard(dcMem, brush);
        Rectangle(dcMem, rcVolume.left, rcVolume.top, rcVolume.right, rcVolume.bottom);
    }
}

BOOL ChartWnd::RefreshChart(BOOL bResetScroll) {
    if (pScrollBar) {
        // Range and position in one call: the same result as setting them one
        // after the other, with one trip to the system instead of two.
        SCROLLINFO info{};
        info.fMask = SIF_RANGE | SIF_POS;
        info.nMax = series.nScrollMax;
        info.nPos = series.nStartIndex;
        pScrollBar->SetScrollInfo(info, TRUE);
    }
    bForceTrack = 1;
    return DrawChart(bResetScroll);
}

BOOL ChartWnd::DrawChart(BOOL bResetScroll) {
    const int32_t first = series.nStartIndex;
    ShownRange range;
    if (!FindShownRange(series, first, nViewCount, range)) return FALSE;
    nMaxHigh = range.maxHigh;
    nMinLow = range.minLow;
    nMaxVolume = range.maxVolume;
    nMinVolume = range.minVolume;

    LayoutPanes(bResetScroll);
    DrawValueScale();
    DrawVolumeScale();

    strLastHour.clear();
    nLabelCount = 0;
    // The rightmost slot stays empty; a chart without slots draws no record.
    const int64_t drawn = int64_t{nViewCount} - 1;
    int32_t x = 3;
    for (int64_t k = 0; k < drawn; ++k, x += 3) {
        const BarRecord* bar = series.At(int64_t{first} + k);
        if (!bar) break;
        DrawCandle(bar->high, bar->close, bar->open, bar->low, x);
        DrawVolumeStick(bar->volume, x);
        char text[16];
        std::snprintf(text, sizeof text, "%d", bar->time);
        DrawTimeLabel(text, x);
    }
    if (nIsCurrentBar == 1) DrawCurrentBar();
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, TRUE);
    return TRUE;
}

void ChartWnd::DrawValueScale() {
    const PriceScaleFit fit = FitPriceScale(nMinLow, nMaxHigh, rcValue.bottom - rcValue.top);
    if (!fit.valid) return;
    nMinLow = fit.minLow;
    nMaxHigh = fit.maxHigh;
    nValueHeight = fit.scale.height;
    nValueMul = fit.scale.mul;
    nValueBase = fit.scale.base;
    nValueDiv = fit.scale.div;

    Pen pen(crValueHorizonalLine);
    SelectGuard guard(dcMem, pen);
    SetTextColor(dcMem, crValueText);
    for (int i = 0; i < 5; ++i) {
        const int y = rcValue.bottom - fit.step * i;
        HLine(dcMem, rcValue.left + 1, rcValue.right - 1, y);
        const std::string label = FormatThousands(Clamp32(fit.labels[i]));
        DrawLabel(dcMem, label, {rcValue.left - 50, y - 5, rcValue.left, y + 7}, DT_CENTER);
        DrawLabel(dcMem, label, {rcValue.right + 1, y - 5, rcValue.right + 44, y + 7}, DT_CENTER);
    }
}

int32_t ChartWnd::ValueToPixel(int32_t value) const {
    return PriceOffset({nValueBase, nValueHeight, nValueMul, nValueDiv}, value,
                       rcValue.bottom - rcValue.top);
}

void ChartWnd::DrawCandle(int32_t high, int32_t close, int32_t open, int32_t low, int32_t x) {
    if (rcValue.bottom <= rcValue.top) return;
    const int X = rcValue.left + x;
    const auto row = [this](int32_t v) { return rcValue.bottom - ValueToPixel(v); };
    const CandleShape c = ShapeCandle(row(high), row(close), row(open), row(low));
    const COLORREF colour = c.up ? crHighCandle : crLowCandle;
    {
        Pen pen(colour);
        SelectGuard guard(dcMem, pen);
        VLine(dcMem, X, c.upperFrom, c.upperTo);
        VLine(dcMem, X, c.lowerFrom, c.lowerTo);
    }
    FillSolidRect(dcMem, {X - 1, c.bodyTop, X + 2, c.bodyBottom}, colour);
}

void ChartWnd::DrawVolumeScale() {
    const VolumeScaleFit fit =
        FitVolumeScale(nMinVolume, nMaxVolume, rcVolume.bottom - rcVolume.top, bIsEnglish != 0,
                       kTenThousandsFormat);
    if (!fit.valid) return;

    Pen pen(crVolumeHorizonalLine);
    SelectGuard guard(dcMem, pen);
    SetTextColor(dcMem, crVolumeText);
    for (int i = 0; i < 3; ++i) {
        const int y = rcVolume.bottom - fit.step * i;
        HLine(dcMem, rcVolume.left + 1, rcVolume.right - 1, y);
        DrawLabel(dcMem, fit.labels[i], {rcVolume.right + 1, y - 5, rcVolume.right + 44, y + 7},
                  DT_CENTER);
    }
    nVolumeHeight = fit.scale.height;
    nVolumePerPixel = fit.scale.perPixel;
    nVolumeBase = fit.scale.base;
}

int32_t ChartWnd::VolumeToPixel(int32_t volume) const {
    return VolumeBarHeight({nVolumeBase, nVolumeHeight, nVolumePerPixel}, volume);
}

void ChartWnd::DrawVolumeStick(int32_t volume, int32_t x) {
    // No pane, no scale: nothing to stand on.
    if (rcVolume.bottom <= rcVolume.top) return;
    const int X = rcVolume.left + x;
    const int h = VolumeToPixel(volume);
    if (h <= 0) return;
    FillSolidRect(dcMem, {X - 1, rcVolume.bottom - h, X + 2, rcVolume.bottom}, crStick);
}

void ChartWnd::DrawTimeLabel(const char* text, int32_t x) {
    const TimeLabelParts parts = SplitTime(text);
    if (!NextTimeLabel(strLastHour, nLabelCount, parts.hour)) return;
    const int X = rcVolume.left + x;
    const int top = rcVolume.bottom + 5;
    SetTextColor(dcMem, crTime);
    DrawLabel(dcMem, parts.label, {X - 15, top, X + 15, top + 20}, DT_CENTER);
    Pen pen(crTime);
    SelectGuard guard(dcMem, pen);
    VLine(dcMem, X, top - 5, top);
}

void ChartWnd::DrawCurrentBar() {
    const BarRecord* last = series.Last();
    if (!last) return;
    const std::string text = CurrentBarText(kStripFormat, last->time, last->close, last->volume);
    const RECT strip{rcClient.left, rcClient.top, rcClient.right, rcClient.top + nCurrentBarHeight};

    FillSolidRect(dcMem, strip, crCurrentBarBackGround);
    SetTextColor(dcMem, crCurrentBarText);
    DrawLabel(dcMem, text, {strip.left + 5, strip.top + 4, strip.right, strip.bottom},
              DT_SINGLELINE | DT_LEFT | DT_TOP);
    {
        Pen up(crCurrentBarUpLine);
        SelectGuard guard(dcMem, up);
        HLine(dcMem, strip.left, strip.right, strip.top);
    }
    {
        Pen down(crCurrentBarDownLine);
        SelectGuard guard(dcMem, down);
        VLine(dcMem, strip.right - 1, strip.top + 1, strip.bottom - 1);
        HLine(dcMem, strip.left, strip.right, strip.bottom - 1);
    }
    // No invalidation of the strip alone: DrawChart invalidates the whole
    // client area right after, which covers it.
}
