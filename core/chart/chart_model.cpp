// The redraw pass: range pass, pane layout, price and volume scales, candles,
// volume bars, time labels and the current-price strip, as scene primitives.
// Coordinates come from properties and files and may be anything: every sum
// is formed in 64 bits and clamped, so no coordinate overflows.
#include "chart/chart_model.h"

#include <algorithm>

#include "chart/chart_scales.h"
#include "chart/chart_text.h"
#include "chart/korean_texts.h"
#include "chart/format_thousands.h"
#include "interact/slot_snap.h"
#include "interact/tip_text.h"

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// a + b without overflow.
int32_t Add(int32_t a, int64_t b) {
    return Clamp32(int64_t{a} + b);
}

int32_t Height(const Rect& r) {
    return Clamp32(int64_t{r.bottom} - r.top);
}

bool HasArea(const Rect& r) {
    return r.right > r.left && r.bottom > r.top;
}

Colour C(int32_t colour) {
    return static_cast<Colour>(colour);
}

}   // namespace

void ChartModel::ResetSeries() {
    nMaxVolume = nMinVolume = nMaxHigh = nMinLow = 0;
    nViewCount = 0;
    series.nStartIndex = 0;
    series.nScrollMax = 0;
    nBoxWidth = 0;
    series.nAppendCount = 1;
    LayoutPanes(false);
    series.Reset();
}

void ChartModel::AddBar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
    series.AddBar(time, open, high, low, close, volume, nViewCount);
}

void ChartModel::LayoutPanes(bool bResetScroll) {
    scene.Reset(rcClient.right, rcClient.bottom);
    scene.AddFill(rcClient, C(settings.crMainBackGround));

    const PaneLayout layout = ComputePaneLayout(
        rcClient, {settings.nsizeGapX, settings.nsizeGapY, settings.nIsCurrentBar, nCurrentBarHeight, nSlotWidth});
    rcValue = layout.value;
    rcVolume = layout.volume;
    rcBox = layout.box;
    nBoxWidth = layout.boxWidth;
    nViewCount = layout.viewCount;

    if (bResetScroll) {
        rcScrollStrip = layout.scrollStrip;
        series.nStartIndex = ScrollStartIndex(series.Count(), nViewCount);
        series.nScrollMax = series.nStartIndex;
    }
    // A window too small for a pane shows only its background.
    if (HasArea(rcBox)) scene.AddFrame(rcBox, C(settings.crBoxLine), C(settings.crValueBackGround));
    if (HasArea(rcVolume)) scene.AddFrame(rcVolume, C(settings.crBoxLine), C(settings.crVolumeBackGround));
}

bool ChartModel::DrawChart(bool bResetScroll) {
    const int32_t first = series.nStartIndex;
    ShownRange range;
    if (!FindShownRange(series, first, nViewCount, range)) return false;
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
    int32_t x = nSlotWidth;
    for (int64_t k = 0; k < drawn; ++k, x = Add(x, nSlotWidth)) {
        const BarRecord* bar = series.At(int64_t{first} + k);
        if (!bar) break;
        DrawCandle(bar->high, bar->close, bar->open, bar->low, x);
        DrawVolumeStick(bar->volume, x);
        DrawTimeLabel(std::to_string(bar->time).c_str(), x);
    }
    if (settings.nIsCurrentBar == 1) DrawCurrentBar();
    return true;
}

void ChartModel::DrawValueScale() {
    const PriceScaleFit fit = FitPriceScale(nMinLow, nMaxHigh, Height(rcValue));
    if (!fit.valid) return;
    nMinLow = fit.minLow;
    nMaxHigh = fit.maxHigh;
    nValueHeight = fit.scale.height;
    nValueMul = fit.scale.mul;
    nValueBase = fit.scale.base;
    nValueDiv = fit.scale.div;

    const Colour line = C(settings.crValueHorizonalLine);
    const Colour text = C(settings.crValueText);
    for (int i = 0; i < 5; ++i) {
        const int32_t y = Add(rcValue.bottom, -int64_t{fit.step} * i);
        scene.AddLine(Add(rcValue.left, 1), y, Add(rcValue.right, -1), y, line);
        const std::string label = FormatThousands(Clamp32(fit.labels[i]));
        const int32_t top = Add(y, -5), bottom = Add(y, 7);
        scene.AddText({Add(rcValue.left, -50), top, rcValue.left, bottom}, label, TextAlign::Center, text);
        scene.AddText({Add(rcValue.right, 1), top, Add(rcValue.right, 44), bottom}, label, TextAlign::Center, text);
    }
}

int32_t ChartModel::ValueToPixel(int32_t value) const {
    return PriceOffset({nValueBase, nValueHeight, nValueMul, nValueDiv}, value, Height(rcValue));
}

void ChartModel::DrawCandle(int32_t high, int32_t close, int32_t open, int32_t low, int32_t x) {
    if (rcValue.bottom <= rcValue.top) return;
    const int32_t X = Add(rcValue.left, x);
    const auto row = [this](int32_t v) { return Add(rcValue.bottom, -int64_t{ValueToPixel(v)}); };
    const CandleShape c = ShapeCandle(row(high), row(close), row(open), row(low));
    const Colour colour = C(c.up ? settings.crHighCandle : settings.crLowCandle);
    scene.AddLine(X, c.upperFrom, X, c.upperTo, colour);
    scene.AddLine(X, c.lowerFrom, X, c.lowerTo, colour);
    const int32_t half = BodyHalf();
    scene.AddFill({Add(X, -half), c.bodyTop, Add(X, half + 1), c.bodyBottom}, colour);
}

void ChartModel::DrawVolumeScale() {
    const VolumeScaleFit fit =
        FitVolumeScale(nMinVolume, nMaxVolume, Height(rcVolume), settings.IsEnglish(), kTenThousandsUnit);
    if (!fit.valid) return;

    const Colour line = C(settings.crVolumeHorizonalLine);
    const Colour text = C(settings.crVolumeText);
    for (int i = 0; i < 3; ++i) {
        const int32_t y = Add(rcVolume.bottom, -int64_t{fit.step} * i);
        scene.AddLine(Add(rcVolume.left, 1), y, Add(rcVolume.right, -1), y, line);
        scene.AddText({Add(rcVolume.right, 1), Add(y, -5), Add(rcVolume.right, 44), Add(y, 7)}, fit.labels[i],
                      TextAlign::Center, text);
    }
    nVolumeHeight = fit.scale.height;
    nVolumePerPixel = fit.scale.perPixel;
    nVolumeBase = fit.scale.base;
}

int32_t ChartModel::VolumeToPixel(int32_t volume) const {
    return VolumeBarHeight({nVolumeBase, nVolumeHeight, nVolumePerPixel}, volume);
}

void ChartModel::DrawVolumeStick(int32_t volume, int32_t x) {
    // No pane, no scale: nothing to stand on.
    if (rcVolume.bottom <= rcVolume.top) return;
    const int32_t X = Add(rcVolume.left, x);
    const int32_t h = VolumeToPixel(volume);
    if (h <= 0) return;
    const int32_t half = BodyHalf();
    scene.AddFill({Add(X, -half), Add(rcVolume.bottom, -int64_t{h}), Add(X, half + 1), rcVolume.bottom},
                  C(settings.crStick));
}

void ChartModel::DrawTimeLabel(const char* text, int32_t x) {
    const TimeLabelParts parts = SplitTime(text);
    if (!NextTimeLabel(strLastHour, nLabelCount, parts.hour)) return;
    const int32_t X = Add(rcVolume.left, x);
    const int32_t top = Add(rcVolume.bottom, 5);
    const Colour colour = C(settings.crTime);
    scene.AddText({Add(X, -15), top, Add(X, 15), Add(top, 20)}, parts.label, TextAlign::Center, colour);
    scene.AddLine(X, Add(top, -5), X, top, colour);
}

void ChartModel::DrawCurrentBar() {
    const BarRecord* last = series.Last();
    if (!last) return;
    const std::string text = CurrentBarText(kStripFormat, last->time, last->close, last->volume);
    const Rect strip{rcClient.left, rcClient.top, rcClient.right, Add(rcClient.top, nCurrentBarHeight)};

    scene.AddFill(strip, C(settings.crCurrentBarBackGround));
    scene.AddText({Add(strip.left, 5), Add(strip.top, 4), strip.right, strip.bottom}, text, TextAlign::LeftSingleLine,
                  C(settings.crCurrentBarText));
    const Colour up = C(settings.crCurrentBarUpLine), down = C(settings.crCurrentBarDownLine);
    scene.AddLine(strip.left, strip.top, strip.right, strip.top, up);
    const int32_t right = Add(strip.right, -1), bottom = Add(strip.bottom, -1);
    scene.AddLine(right, Add(strip.top, 1), right, bottom, down);
    scene.AddLine(strip.left, bottom, strip.right, bottom, down);
}

int32_t ChartModel::NewestStart() const {
    return ScrollStartIndex(series.Count(), nViewCount);
}

void ChartModel::SetStart(int64_t first) {
    series.nStartIndex = static_cast<int32_t>(std::clamp<int64_t>(first, 0, NewestStart()));
}

int32_t ChartModel::BodyHalf() const {
    // A quarter of the slot stays free between bodies; the body is odd so
    // that it centres on its line: 3 pixels in a 3-pixel slot, 9 in 12.
    const int32_t w = std::clamp(nSlotWidth, kMinSlotWidth, kMaxSlotWidth);
    return (w - w / 4 - 1) / 2;
}

ChartModel::SlotHit ChartModel::SnapToSlot(int32_t x) const {
    const SlotSnap hit = SnapColumnToSlot(rcBox.left, x, nSlotWidth);
    return {hit.x, hit.slot};
}

void ChartModel::BuildCrosshair(Scene& out, int32_t x, int32_t y) const {
    out.Reset(rcClient.right, rcClient.bottom);
    const int32_t column = SnapToSlot(x).x;
    out.AddLine(column, rcBox.top, column, rcBox.bottom, kCrosshairColour);
    out.AddLine(rcBox.left, y, rcBox.right, y, kCrosshairColour);
}

std::optional<std::string> ChartModel::TipText(int32_t slot) const {
    const BarRecord* bar = series.At(TipBarIndex(slot, series.nStartIndex, series.Count()));
    if (!bar) return std::nullopt;
    return FormatTipText(settings.IsEnglish() ? kTipFormatEnglish : kTipFormatKorean, *bar);
}
