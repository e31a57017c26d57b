#include "interact/web_chart.h"

#include <algorithm>
#include <utility>

#include "chart/korean_texts.h"
#include "interact/click_through.h"
#include "data/file_readers.h"
#include "interact/tip_place.h"
#include "interact/tip_segments.h"

namespace {

constexpr int32_t kTipBufferHeight = 20;

#ifndef SIVARTA_DEFAULT_HOST
#define SIVARTA_DEFAULT_HOST "127.0.0.1:8949"
#endif
#ifndef SIVARTA_DEFAULT_PAGE
#define SIVARTA_DEFAULT_PAGE "http://127.0.0.1:8949/"
#endif

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

WebChart::WebChart(TextWidthFn measureTip) : measure(std::move(measureTip)) {
    SetTipText(kTipFirstText);
}

void WebChart::SetSize(int32_t width, int32_t height) {
    model.settings.nsizeMainX = width;
    model.settings.nsizeMainY = height;
    model.rcClient = {0, 0, std::max(width, 0), std::max(height, 0)};
}

std::optional<std::string> WebChart::RequestUrls(bool pageIsHttps) const {
    const std::string code = model.settings.strCode.empty() ? "005930" : model.settings.strCode;
    if (!IsValidStockCode(code)) return std::nullopt;
    // strChartUrl is a host (and port); one that names its scheme keeps it.
    std::string host = model.settings.strChartUrl.empty() ? SIVARTA_DEFAULT_HOST
                                                          : model.settings.strChartUrl;
    // A host never holds blanks or control characters; one that does would
    // make other URLs than the two (the page splits them at the line break).
    for (unsigned char c : host)
        if (c <= 0x20 || c == 0x7F) return std::nullopt;
    std::string base;
    if (StartsWithNoCase(host, "http://") || StartsWithNoCase(host, "https://")) base = host;
    else base = (pageIsHttps ? "https://" : "http://") + host;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/sisefile/info/" + code + ".dat\n" + base + "/sisefile/Date/" + code + ".dat";
}

bool WebChart::Load(const DayBytes& infoFile, const DayBytes& dataFile) {
    loadedCode = model.settings.strCode.empty() ? "005930" : model.settings.strCode;
    // A failed download gives no bytes: stale or partial data never reaches the chart.
    const bool dataUsable = infoFile.arrived && dataFile.arrived;
    const bool codeOk =
        LoadDay(model, loadedCode, infoFile.arrived ? infoFile.bytes : nullptr,
                infoFile.arrived ? infoFile.length : 0, dataUsable ? dataFile.bytes : nullptr,
                dataUsable ? dataFile.length : 0, info);
    failed = !codeOk || !infoFile.arrived || !dataFile.arrived;
    forceTrack = true;
    AddFailureText();
    return !failed;
}

void WebChart::Redraw() {
    forceTrack = true;
    if (!model.DrawChart(true)) model.LayoutPanes(true);
    AddFailureText();
    SetTipText(tipText);   // the tooltip's colours may have changed
}

void WebChart::AddFailureText() {
    if (!failed) return;
    const Rect& box = model.rcBox;
    const int32_t middle = box.top + (box.bottom - box.top) / 2;
    model.scene.AddText({box.left, middle - 6, box.right, middle + 6}, kLoadFailedText,
                        TextAlign::Center, static_cast<Colour>(model.settings.crValueText));
}

void WebChart::SetTipText(std::string text) {
    tipText = std::move(text);
    TipColours colours;
    colours.back = static_cast<Colour>(model.settings.crToolTipBackGround);
    colours.outline = static_cast<Colour>(model.settings.crToolTipOutLine);
    BuildTipScene(tip, MakeTipSegment(tipText, 0), kTipBufferHeight, colours, measure);
}

bool WebChart::InBox(int32_t x, int32_t y) const {
    const Rect& box = model.rcBox;
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

int32_t WebChart::Track(int32_t x, int32_t y, bool fromPointer) {
    if (fromPointer && InBox(x, y)) hasTracked = true;
    // Until the pointer has been over the frame there is no last point: neither
    // a forced track after a load nor the arrow keys draw anything.
    if (!hasTracked) return 0;
    if (!InBox(x, y) && !forceTrack) return 0;
    const ChartModel::SlotHit hit = model.SnapToSlot(x);
    if (hit.x == lastX && y == lastY && !forceTrack) return 0;
    model.BuildCrosshair(crosshair, hit.x, y);
    lastX = hit.x;
    lastY = y;
    forceTrack = false;
    int32_t changed = kCrosshairMoved;
    if (const auto text = model.TipText(hit.slot)) {
        SetTipText(*text);
        changed |= kTipChanged;
    }
    return changed;
}

int32_t WebChart::PressKey(Key key) {
    switch (key) {
    case Key::Down: return Track(lastX, lastY + 1, false);
    case Key::Up: return Track(lastX, lastY - 1, false);
    // lastX is a slot line; three columns left is the previous one.
    case Key::Left: return Track(lastX - 3, lastY, false);
    case Key::Right: return Track(lastX + 1, lastY, false);
    }
    return 0;
}

std::optional<std::string> WebChart::ClickUrl() const {
    if (!model.settings.ClickEnabled()) return std::nullopt;
    return ClickThroughPage(model.settings.strURL, SIVARTA_DEFAULT_PAGE);
}
