#include "interact/chart_session.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "chart/korean_texts.h"
#include "data/stock_text.h"
#include "interact/click_through.h"
#include "interact/slot_snap.h"
#include "interact/tip_text.h"
#include "interact/tip_segments.h"

namespace {

bool Cp949Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// FNV-1a over both files, the lengths mixed in so that bytes moved between them count.
uint64_t DayPrint(const FetchedFile& info, const FetchedFile& data) {
    uint64_t h = 1469598103934665603ull;
    for (const FetchedFile* f : {&info, &data}) {
        for (size_t i = 0; i < f->length; ++i) h = (h ^ f->bytes[i]) * 1099511628211ull;
        h = (h ^ f->length) * 1099511628211ull;
    }
    return h | 1;   // never 0, which means no accepted day
}

}   // namespace

std::string LoadVerdict::Reason() const {
    if (Failed()) return failure;
    if (!info.Accepted()) return VerdictText(info);
    if (!data.Accepted()) return VerdictText(data);
    return {};
}

ChartSession::ChartSession(TextWidthFn measureTip) : measure(std::move(measureTip)) {
    SetTipText(kTipFirstText);
}

void ChartSession::SetSize(int32_t width, int32_t height) {
    model.settings.nsizeMainX = width;
    model.settings.nsizeMainY = height;
    model.rcClient = {0, 0, std::max(width, 0), std::max(height, 0)};
}

std::string ChartSession::Code() const {
    return model.settings.strCode.empty() ? kDefaultCode : model.settings.strCode;
}

DayRequest RequestDay(std::string_view code, std::string_view host, bool https) {
    DayRequest request;
    if (!IsValidStockCode(code)) {
        request.refusal = "nothing to load: the code is not 1 to 32 ASCII letters and digits";
        return request;
    }
    // A host never holds blanks or control characters; one that does would
    // make other URLs than the two.
    for (unsigned char c : host) {
        if (c <= 0x20 || c == 0x7F) {
            request.refusal = "nothing to load: the host holds blanks or control characters";
            return request;
        }
    }
    std::string base(host);
    if (WebSchemeLength(host) == 0) base = (https ? "https://" : "http://") + base;
    while (!base.empty() && base.back() == '/') base.pop_back();
    request.infoUrl = base + "/" + DayFilePath(DayFile::Info, code);
    request.dataUrl = base + "/" + DayFilePath(DayFile::Data, code);
    return request;
}

DayRequest ChartSession::Request(bool https, std::string_view pageHost) const {
    const std::string& host = model.settings.strChartUrl;
    const std::string_view fallback = pageHost.empty() ? std::string_view(DefaultHost()) : pageHost;
    return RequestDay(Code(), host.empty() ? fallback : std::string_view(host), https);
}

void ChartSession::ResetSeries() {
    forceTrack = false;
    model.ResetSeries();
}

void ChartSession::BeginLoad(std::string code, const StockInfo& previous) {
    loadingCode = std::move(code);
    info = previous;
    verdict = LoadVerdict{};
}

const FileVerdict& ChartSession::AcceptInfo(const unsigned char* bytes, size_t length) {
    verdict.info = AcceptInfoFile(bytes, length, loadingCode, info);
    return verdict.info;
}

const FileVerdict& ChartSession::AcceptData(const unsigned char* bytes, size_t length) {
    // Each record a bar, and the info's bar after them: no doubling's spare room stays.
    if (bytes && length <= kMaxDataFileBytes) model.series.Reserve(length / sizeof(TickRecord) + 1);
    verdict.data = ReadDataFile(bytes, length, info,
                                [this](int32_t time, int32_t open, int32_t high, int32_t low, int32_t close,
                                       int32_t volume) { model.AddBar(time, open, high, low, close, volume); });
    return verdict.data;
}

void ChartSession::FailLoad(std::string failure) {
    verdict.failure = failure.empty() ? std::string(kLoadFailedText) : std::move(failure);
}

void ChartSession::FinishLoad() {
    forceTrack = true;
    DrawChart(false);
}

const LoadVerdict& ChartSession::Load(const FetchedFile& infoFile, const FetchedFile& dataFile) {
    // A reload of the same day keeps a view the user scrolled to; the records
    // of a day only grow, so the same index is the same record.
    const bool keepView = !following && Code() == loadedCode;
    const int32_t first = model.series.nStartIndex;
    ResetSeries();
    BeginLoad(Code());
    if (!IsValidStockCode(loadingCode))
        FailLoad(Request(false).refusal);
    else if (!infoFile.arrived)
        FailLoad(infoFile.failure);
    else {
        AcceptInfo(infoFile.bytes, infoFile.length);
        // A failed download gives no bytes: stale or partial data never reaches the chart.
        if (!dataFile.arrived)
            FailLoad(dataFile.failure);
        else
            AcceptData(dataFile.bytes, dataFile.length);
    }
    loadedCode = loadingCode;
    following = !keepView;
    tappedRecord = -1;
    if (keepView) model.SetStart(first);
    // The day drawn as far as it was read; the failure text over it.
    forceTrack = true;
    if (!DrawChart(false)) AddFailureText();
    dayPrint = verdict.Accepted() ? DayPrint(infoFile, dataFile) : 0;
    return verdict;
}

RefreshVerdict ChartSession::Refresh(const FetchedFile& infoFile, const FetchedFile& dataFile) {
    // Both files are checked first: a refresh the chart would not show touches nothing.
    const std::string code = Code();
    if (!IsValidStockCode(code)) return {false, Request(false).refusal};
    for (const FetchedFile* f : {&infoFile, &dataFile})
        if (!f->arrived) return {false, f->failure.empty() ? std::string(kLoadFailedText) : f->failure};
    StockInfo probe{};
    const FileVerdict infoVerdict = AcceptInfoFile(infoFile.bytes, infoFile.length, code, probe);
    if (!infoVerdict.Accepted()) return {false, VerdictText(infoVerdict)};
    const FileVerdict dataVerdict = ReadDataFile(dataFile.bytes, dataFile.length, probe,
                                                 [](int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {});
    if (!dataVerdict.Accepted()) return {false, VerdictText(dataVerdict)};
    if (DayPrint(infoFile, dataFile) == dayPrint) return {};

    const int64_t record = TrackedIndex();
    Load(infoFile, dataFile);
    // New records shift the view: the crosshair follows its record to its new slot.
    const int64_t slot = record - model.series.nStartIndex;
    if (record >= 0 && slot >= 0 && slot < model.nViewCount)
        last.x = SlotColumn(model.rcBox.left, static_cast<int32_t>(slot), model.nSlotWidth);
    return {true, {}};
}

std::string ChartSession::InfoCode() const {
    return FieldText(info.code, sizeof info.code, Cp949Lead);
}

std::string ChartSession::InfoName() const {
    return FieldText(info.name, sizeof info.name, Cp949Lead);
}

bool ChartSession::DrawChart(bool resetScroll) {
    if (!model.DrawChart(resetScroll)) return false;
    AddFailureText();
    return true;
}

void ChartSession::LayoutPanes(bool resetScroll) {
    model.LayoutPanes(resetScroll);
    AddFailureText();
}

void ChartSession::Redraw() {
    forceTrack = true;
    if (!following) {
        // The same first record in the new layout, as far as it fits.
        model.LayoutPanes(false);
        model.SetStart(model.series.nStartIndex);
        following = model.series.nStartIndex == model.NewestStart();
        if (!model.DrawChart(false)) model.LayoutPanes(false);
    } else if (!model.DrawChart(true)) {
        model.LayoutPanes(true);
    }
    AddFailureText();
}

void ChartSession::AddFailureText() {
    if (!verdict.Failed()) return;
    const Rect& box = model.rcBox;
    const int32_t middle = box.top + (box.bottom - box.top) / 2;
    model.scene.AddText({box.left, middle - 6, box.right, middle + 6}, kLoadFailedText, TextAlign::Center,
                        static_cast<Colour>(model.settings.crValueText));
}

void ChartSession::SetTipText(std::string text) {
    tipText = std::move(text);
}

const Scene& ChartSession::TipScene() const {
    BuildTip();
    return tip;
}

// Built again only for a new text or new colours (a load or a redraw may
// bring either): the same ones give the same scene, with no new measure.
void ChartSession::BuildTip() const {
    if (!measure) return;
    const TipColours colours{static_cast<Colour>(model.settings.crToolTipBackGround),
                             static_cast<Colour>(model.settings.crToolTipOutLine)};
    if (tipBuilt && tipBuiltText == tipText && tipBuiltColours.back == colours.back &&
        tipBuiltColours.outline == colours.outline)
        return;
    BuildTipScene(tip, MakeTipSegment(tipText, 0), kTipHeight, colours, measure);
    tipBuilt = true;
    tipBuiltText = tipText;
    tipBuiltColours = colours;
}

int32_t ChartSession::Track(int32_t x, int32_t y, bool fromPointer) {
    if (fromPointer && InBox(x, y)) hasTracked = true;
    // Until the pointer has been over the frame there is no last point: neither
    // a forced track after a pass nor the arrow keys draw anything.
    if (!hasTracked) return 0;
    if (!InBox(x, y) && !forceTrack) return 0;
    const ChartModel::SlotHit hit = model.SnapToSlot(x);
    if (hit.x == last.x && y == last.y && !forceTrack) return 0;
    model.BuildCrosshair(crosshair, hit.x, y);
    previous = last;
    last = {hit.x, y};
    forceTrack = false;
    int32_t changed = kCrosshairMoved;
    // No record in that slot: the tooltip keeps its text.
    if (auto text = model.TipText(hit.slot)) {
        SetTipText(std::move(*text));
        changed |= kTipChanged;
    }
    return changed;
}

int32_t ChartSession::PointerMove(int32_t x, int32_t y) {
    return Track(x, y, true);
}

int32_t ChartSession::PressKey(ArrowKey key) {
    switch (key) {
    case ArrowKey::Down:
        return Track(last.x, last.y + 1, false);
    case ArrowKey::Up:
        return Track(last.x, last.y - 1, false);
    // The last point is a slot line; a slot's width left is the previous one
    // (one left would snap back to the same line). Past the first or the last
    // record shown, the day scrolls by one under the crosshair.
    case ArrowKey::Left:
        if (hasTracked && model.SnapToSlot(last.x).slot <= 0 && FirstShown() > 0) return ScrollBy(-1);
        return Track(last.x - model.nSlotWidth, last.y, false);
    case ArrowKey::Right:
        if (hasTracked && model.SnapToSlot(last.x).slot >= model.nViewCount - 2 && !following) return ScrollBy(1);
        return Track(last.x + 1, last.y, false);
    }
    return 0;
}

int32_t ChartSession::ShowFrom(int64_t first, bool changedAnyway) {
    model.LayoutPanes(false);   // the slot count of the current width
    const int32_t before = model.series.nStartIndex;
    model.SetStart(first);
    following = model.series.nStartIndex == model.NewestStart();
    if (model.series.nStartIndex == before && !changedAnyway) return 0;
    if (!model.DrawChart(false)) model.LayoutPanes(false);
    AddFailureText();
    tappedRecord = -1;
    forceTrack = true;
    return kScrolled | Retrack();
}

int32_t ChartSession::ScrollBy(int64_t records) {
    return ShowFrom(int64_t{model.series.nStartIndex} + records);
}

int32_t ChartSession::PressScrollKey(ScrollKey key) {
    const int64_t page = std::max(model.nViewCount - 2, 1);
    switch (key) {
    case ScrollKey::Home:
        return ShowFrom(0);
    case ScrollKey::End:
        return ShowFrom(model.NewestStart());
    case ScrollKey::PageUp:
        return ScrollBy(-page);
    case ScrollKey::PageDown:
        return ScrollBy(page);
    }
    return 0;
}

int32_t ChartSession::ScrollPixels(int32_t dx) {
    const int64_t total = int64_t{pixelRemainder} + dx;
    const int64_t records = total / model.nSlotWidth;
    pixelRemainder = static_cast<int32_t>(total - records * model.nSlotWidth);
    if (records == 0) return 0;
    const int32_t changed = ScrollBy(-records);
    if (!changed) pixelRemainder = 0;   // at an end: nothing is owed
    return changed;
}

int32_t ChartSession::SetSlotWidth(int32_t width, int32_t anchorX) {
    const int32_t w = std::clamp(width, ChartModel::kMinSlotWidth, ChartModel::kMaxSlotWidth);
    if (w == model.nSlotWidth) return 0;
    const auto slotAt = [this](int32_t x) {
        return std::clamp(model.SnapToSlot(x).slot, 0, std::max(model.nViewCount - 2, 0));
    };
    const int64_t anchored = int64_t{model.series.nStartIndex} + slotAt(anchorX);
    const bool wasFollowing = following;
    model.nSlotWidth = w;
    pixelRemainder = 0;
    model.LayoutPanes(false);
    // The picture changes even where the first record stays.
    return ShowFrom(wasFollowing ? model.NewestStart() : anchored - slotAt(anchorX), true);
}

int32_t ChartSession::Zoom(int32_t steps, int32_t anchorX) {
    return SetSlotWidth(
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{model.nSlotWidth} + steps, INT32_MIN, INT32_MAX)), anchorX);
}

void ChartSession::PinchBegin(int32_t distance) {
    pinchWidth = model.nSlotWidth;
    pinchDistance = std::max(distance, 1);
}

int32_t ChartSession::PinchTo(int32_t distance, int32_t anchorX) {
    const int64_t d = std::max(distance, 0);
    const int64_t width = (2 * int64_t{pinchWidth} * d + pinchDistance) / (2 * int64_t{pinchDistance});
    return SetSlotWidth(static_cast<int32_t>(std::min<int64_t>(width, ChartModel::kMaxSlotWidth)), anchorX);
}

void ChartSession::Press(int32_t x, int32_t, bool touch) {
    press = {true, touch, false, x, x};
}

int32_t ChartSession::Drag(int32_t x, int32_t) {
    if (!press.active) return 0;
    if (!press.panning) {
        if (std::abs(int64_t{x} - press.startX) < kPanSlop) return 0;
        press.panning = true;
        tappedRecord = -1;
    }
    const int32_t changed =
        ScrollPixels(static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} - press.lastX, INT32_MIN, INT32_MAX)));
    press.lastX = x;
    return changed;
}

ReleaseAction ChartSession::Release(int32_t x, int32_t y) {
    if (!press.active) return ReleaseAction::None;
    press.active = false;
    if (press.panning) return ReleaseAction::None;
    if (!press.touch) return ReleaseAction::OpenPage;
    const int64_t record = InBox(x, y) ? RecordAt(x) : -1;
    if (record >= 0 && record == tappedRecord) {
        tappedRecord = -1;
        return ReleaseAction::OpenPage;
    }
    tappedRecord = record;
    if (!InBox(x, y)) return ReleaseAction::None;
    forceTrack = true;   // the overlay is drawn even at the same point
    Track(x, y, true);
    return ReleaseAction::ShowTip;
}

int64_t ChartSession::RecordAt(int32_t x) const {
    return TipBarIndex(model.SnapToSlot(x).slot, model.series.nStartIndex, model.series.Count());
}

std::string ChartSession::Announcement() const {
    const BarRecord* bar = hasTracked ? model.series.At(RecordAt(last.x)) : nullptr;
    if (!bar) return {};
    return AnnounceBar(*bar, model.settings.IsEnglish());
}

int64_t ChartSession::TrackedIndex() const {
    if (!hasTracked) return -1;
    return TipBarIndex(model.SnapToSlot(last.x).slot, model.series.nStartIndex, model.series.Count());
}

int32_t ChartSession::Retrack() {
    return Track(last.x, last.y, false);
}

bool ChartSession::ShowsTip(int32_t x, int32_t y) const {
    return model.settings.nIsToolTip == 1 && InBox(x, y);
}

TipPlace ChartSession::TipPlacement(int32_t cursorX, int32_t cursorY, int32_t screenWidth) const {
    return PlaceTip(cursorX, cursorY, TipScene().Width(), screenWidth);
}

std::optional<std::string> ChartSession::ClickPage() const {
    if (!ClickEnabled()) return std::nullopt;
    return ClickThroughPage(model.settings.strURL, DefaultPage());
}
