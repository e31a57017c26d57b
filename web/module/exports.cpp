// The WebAssembly boundary of <sivarta-chart>: one module instance serves every
// chart on a page, each chart a ChartSession behind a handle (sv_chart_new);
// sv_chart_use selects the one later calls address. Strings and file bytes
// cross through buffers in linear memory that the module owns; a scene's
// primitives are read where the core keeps them, PrimField::Count int32s
// each. Everything both sides must agree on is exported by sv_constants, so
// the JavaScript side restates none of it.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/settings_table.h"
#include "interact/chart_session.h"
#include "web/module/constants.h"

#define SV_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Width in pixels of code page 949 text in the tooltip's font, measured by the
// page for the chart in use.
extern "C" __attribute__((import_module("env"), import_name("text_width"))) int32_t TextWidthImport(const char* cp949,
                                                                                                    int32_t length);

namespace {

// What one chart keeps between calls.
struct Chart {
    ChartSession core{
        [](std::string_view text) { return TextWidthImport(text.data(), static_cast<int32_t>(text.size())); }};
    bool requestMade = false;
    std::string refreshReason;
};

// The charts by handle (a freed handle's slot is empty until reused), the one
// in use, and the buffers every call shares: a call's results are read before
// the next call, and a load's files before the next load. The file buffers
// keep their room, so loads leave no holes in the module's memory.
struct Boundary {
    std::vector<std::unique_ptr<Chart>> charts;
    Chart* current = nullptr;
    std::string scratch;
    std::vector<unsigned char> files[2];
    FetchedFile fetched[2];
    int32_t shownLayer = 0;      // the layer sv_scene chose last
    std::vector<Colour> shape;   // sv_shape's answer: 3 words, then the slots' colours
    int32_t place[2] = {0, 0};
};

Boundary& State() {
    static Boundary state;
    return state;
}

// The chart in use; a caller that chose none (or freed the one in use) gets a
// fresh one rather than a fault.
Chart& Current() {
    Boundary& s = State();
    if (!s.current) {
        s.charts.push_back(std::make_unique<Chart>());
        s.current = s.charts.back().get();
    }
    return *s.current;
}

int32_t ToScratch(std::string text) {
    State().scratch = std::move(text);
    return static_cast<int32_t>(State().scratch.size());
}

const Scene& SceneOf(int32_t layer) {
    const ChartSession& core = Current().core;
    switch (static_cast<SceneLayer>(layer)) {
    case SceneLayer::Crosshair:
        return core.CrosshairScene();
    case SceneLayer::Tip:
        return core.TipScene();
    case SceneLayer::Chart:
        break;
    }
    return core.ChartScene();
}

// The table entry of an index from the page, or nullptr.
const PropertyInfo* Prop(int32_t index) {
    const auto table = PropertyTable();
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[index] : nullptr;
}

}   // namespace

// --- Charts ------------------------------------------------------------------
// A new chart's handle (at least 1), now in use.
SV_EXPORT(sv_chart_new) int32_t SvChartNew() {
    Boundary& s = State();
    size_t slot = 0;
    while (slot < s.charts.size() && s.charts[slot]) ++slot;
    if (slot == s.charts.size()) s.charts.emplace_back();
    s.charts[slot] = std::make_unique<Chart>();
    s.current = s.charts[slot].get();
    return static_cast<int32_t>(slot + 1);
}
// 1 when the handle names a chart (now in use), 0 otherwise (nothing changes).
SV_EXPORT(sv_chart_use) int32_t SvChartUse(int32_t handle) {
    Boundary& s = State();
    if (handle < 1 || static_cast<size_t>(handle) > s.charts.size() || !s.charts[handle - 1]) return 0;
    s.current = s.charts[handle - 1].get();
    return 1;
}
// Frees a chart; its handle names nothing until sv_chart_new reuses it.
SV_EXPORT(sv_chart_free) void SvChartFree(int32_t handle) {
    Boundary& s = State();
    if (handle < 1 || static_cast<size_t>(handle) > s.charts.size() || !s.charts[handle - 1]) return;
    if (s.current == s.charts[handle - 1].get()) s.current = nullptr;
    s.charts[handle - 1].reset();
}

// --- Buffers and constants -------------------------------------------------
SV_EXPORT(sv_scratch) char* SvScratch(uint32_t size) {
    State().scratch.resize(size);
    return State().scratch.data();
}
SV_EXPORT(sv_scratch_data) const char* SvScratchData() {
    return State().scratch.data();
}
// The boundary's constants as JSON into scratch (see web/module/constants.h).
SV_EXPORT(sv_constants) int32_t SvConstants() {
    return ToScratch(BoundaryConstantsJson());
}
// The buffer a file's bytes are copied into (DayFile: 0 info, 1 data);
// arrived 0 marks a failed download, whose text follows through sv_file_failure.
SV_EXPORT(sv_file) unsigned char* SvFile(int32_t which, uint32_t size, int32_t arrived) {
    Boundary& s = State();
    const int i = which == 1 ? 1 : 0;
    s.files[i].resize(size);
    s.fetched[i] = {s.files[i].data(), s.files[i].size(), arrived != 0, {}};
    return s.files[i].data();
}
// Why a file did not arrive: the text in scratch.
SV_EXPORT(sv_file_failure) void SvFileFailure(int32_t which, uint32_t length) {
    State().fetched[which == 1 ? 1 : 0].failure = std::string_view(State().scratch).substr(0, length);
}

// --- Settings ----------------------------------------------------------------
SV_EXPORT(sv_prop_count) int32_t SvPropCount() {
    return static_cast<int32_t>(PropertyTable().size());
}
SV_EXPORT(sv_prop_name) int32_t SvPropName(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p ? ToScratch(p->name) : 0;
}
// type | use << 8 (PropType, PropUse)
SV_EXPORT(sv_prop_kind) int32_t SvPropKind(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p ? static_cast<int32_t>(p->type) | static_cast<int32_t>(p->use) << 8 : -1;
}
// The value text in scratch; 0 when taken, 1 when refused (settings unchanged).
SV_EXPORT(sv_prop_set) int32_t SvPropSet(int32_t index, uint32_t length) {
    const PropertyInfo* p = Prop(index);
    if (!p) return 1;
    const std::string_view text = std::string_view(State().scratch).substr(0, length);
    return SetPropertyText(Current().core.Settings(), *p, text) ? 1 : 0;
}
SV_EXPORT(sv_prop_string) int32_t SvPropString(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->string ? ToScratch(Current().core.Settings().*(p->string)) : 0;
}
SV_EXPORT(sv_prop_number) int32_t SvPropNumber(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->number ? Current().core.Settings().*(p->number) : 0;
}
SV_EXPORT(sv_size) void SvSize(int32_t width, int32_t height) {
    Current().core.SetSize(width, height);
}

// --- Load and draw -----------------------------------------------------------
// The two URLs, "info\ndata", or why none is made, into scratch; sv_request_made
// says which. The page's host is the first hostLength bytes of scratch.
SV_EXPORT(sv_request) int32_t SvRequest(int32_t pageIsHttps, int32_t hostLength) {
    const std::string pageHost = State().scratch.substr(0, static_cast<size_t>(std::max(hostLength, 0)));
    const DayRequest request = Current().core.Request(pageIsHttps != 0, pageHost);
    Current().requestMade = request.Made();
    return ToScratch(request.Made() ? request.infoUrl + "\n" + request.dataUrl : request.refusal);
}
SV_EXPORT(sv_request_made) int32_t SvRequestMade() {
    return Current().requestMade ? 1 : 0;
}
// LoadOutcome bits; sv_load_reason says why a load was not accepted.
SV_EXPORT(sv_load) int32_t SvLoad() {
    Boundary& s = State();
    const LoadVerdict& verdict = Current().core.Load(s.fetched[0], s.fetched[1]);
    for (auto& f : s.fetched) f = {};   // the chart keeps no view of the shared buffers
    Current().core.ShrinkChartScene();
    return (verdict.Accepted() ? static_cast<int32_t>(LoadOutcome::Accepted) : 0) |
           (verdict.Failed() ? static_cast<int32_t>(LoadOutcome::Failed) : 0);
}
// A reload of the day shown (ChartSession::Refresh): Accepted and Changed
// bits; sv_refresh_reason says why a refresh left the day as it was.
SV_EXPORT(sv_refresh) int32_t SvRefresh() {
    Boundary& s = State();
    const RefreshVerdict verdict = Current().core.Refresh(s.fetched[0], s.fetched[1]);
    for (auto& f : s.fetched) f = {};
    Current().core.ShrinkChartScene();
    Current().refreshReason = verdict.reason;
    return (verdict.Kept() ? 0 : static_cast<int32_t>(LoadOutcome::Accepted)) |
           (verdict.changed ? static_cast<int32_t>(LoadOutcome::Changed) : 0);
}
SV_EXPORT(sv_refresh_reason) int32_t SvRefreshReason() {
    return ToScratch(Current().refreshReason);
}
SV_EXPORT(sv_load_reason) int32_t SvLoadReason() {
    return ToScratch(Current().core.LastLoad().Reason());
}
SV_EXPORT(sv_redraw) void SvRedraw() {
    Current().core.Redraw();
    Current().core.ShrinkChartScene();
}

// A layer's scene (SceneLayer): its primitive count; sv_flat and sv_flat_text
// give its primitives and its text where the core keeps them, valid until
// the chart changes.
SV_EXPORT(sv_scene) int32_t SvScene(int32_t layer) {
    State().shownLayer = layer;
    return static_cast<int32_t>(SceneOf(layer).Prims().size());
}
SV_EXPORT(sv_flat) const ScenePrim* SvFlat() {
    return SceneOf(State().shownLayer).Prims().data();
}
SV_EXPORT(sv_flat_text) const char* SvFlatText() {
    return SceneOf(State().shownLayer).Text().data();
}
SV_EXPORT(sv_flat_text_size) int32_t SvFlatTextSize() {
    return static_cast<int32_t>(SceneOf(State().shownLayer).Text().size());
}
// The shape of the layer sv_scene chose (ShapePrint): the print's low and
// high halves, the number of colour slots and their colours.
SV_EXPORT(sv_shape) const Colour* SvShape() {
    std::vector<Colour>& shape = State().shape;
    const uint64_t print = ShapePrint(SceneOf(State().shownLayer), shape);
    const Colour head[] = {static_cast<Colour>(print), static_cast<Colour>(print >> 32),
                           static_cast<Colour>(shape.size())};
    shape.insert(shape.begin(), std::begin(head), std::end(head));
    return shape.data();
}
SV_EXPORT(sv_scene_width) int32_t SvSceneWidth(int32_t layer) {
    return SceneOf(layer).Width();
}
SV_EXPORT(sv_scene_height) int32_t SvSceneHeight(int32_t layer) {
    return SceneOf(layer).Height();
}

// --- Pointer, keys, tooltip, click ---------------------------------------------
// Each returns ChartSession's kCrosshairMoved and kTipChanged bits.
SV_EXPORT(sv_pointer_move) int32_t SvPointerMove(int32_t x, int32_t y) {
    return Current().core.PointerMove(x, y);
}
SV_EXPORT(sv_retrack) int32_t SvRetrack() {
    return Current().core.Retrack();
}
SV_EXPORT(sv_key) int32_t SvKey(int32_t key) {
    if (key < 0 || key > static_cast<int32_t>(ArrowKey::Right)) return 0;
    return Current().core.PressKey(static_cast<ArrowKey>(key));
}
// 0 x, 1 y of the crosshair's point, 2 whether the pointer has been over the frame.
SV_EXPORT(sv_crosshair) int32_t SvCrosshair(int32_t field) {
    const ChartSession& core = Current().core;
    return field == 0 ? core.Crosshair().x : field == 1 ? core.Crosshair().y : core.HasTracked() ? 1 : 0;
}
// --- Scrolling, zoom and presses ------------------------------------------------
// Each returns ChartSession's flags; kScrolled means the chart's scene changed.
SV_EXPORT(sv_scroll_key) int32_t SvScrollKey(int32_t key) {
    if (key < 0 || key > static_cast<int32_t>(ScrollKey::PageDown)) return 0;
    return Current().core.PressScrollKey(static_cast<ScrollKey>(key));
}
SV_EXPORT(sv_scroll_pixels) int32_t SvScrollPixels(int32_t dx) {
    return Current().core.ScrollPixels(dx);
}
SV_EXPORT(sv_zoom) int32_t SvZoom(int32_t steps, int32_t anchorX) {
    return Current().core.Zoom(steps, anchorX);
}
// distance < 0 begins a pinch at -distance; otherwise the pinch goes on.
SV_EXPORT(sv_pinch) int32_t SvPinch(int32_t distance, int32_t anchorX) {
    if (distance >= 0) return Current().core.PinchTo(distance, anchorX);
    Current().core.PinchBegin(-distance);
    return 0;
}
SV_EXPORT(sv_press) void SvPress(int32_t x, int32_t y, int32_t touch) {
    Current().core.Press(x, y, touch != 0);
}
SV_EXPORT(sv_drag) int32_t SvDrag(int32_t x, int32_t y) {
    return Current().core.Drag(x, y);
}
// ReleaseAction.
SV_EXPORT(sv_release) int32_t SvRelease(int32_t x, int32_t y) {
    return static_cast<int32_t>(Current().core.Release(x, y));
}
SV_EXPORT(sv_cancel_press) void SvCancelPress() {
    Current().core.CancelPress();
}
// 0 slot width, 1 first record shown, 2 whether the view follows the newest record.
SV_EXPORT(sv_view) int32_t SvView(int32_t field) {
    const ChartSession& core = Current().core;
    return field == 0 ? core.SlotWidth() : field == 1 ? core.FirstShown() : core.Following() ? 1 : 0;
}
// The record under the crosshair in words (UTF-8) into scratch.
SV_EXPORT(sv_announcement) int32_t SvAnnouncement() {
    return ToScratch(Current().core.Announcement());
}
// A field (TrackedField) of the record under the crosshair; the index is -1 when there is none.
SV_EXPORT(sv_tracked) int32_t SvTracked(int32_t field) {
    const ChartSession& core = Current().core;
    const int64_t index = core.TrackedIndex();
    const BarRecord* bar = index >= 0 ? core.Model().series.At(index) : nullptr;
    if (!bar) return field == static_cast<int32_t>(TrackedField::Index) ? -1 : 0;
    switch (static_cast<TrackedField>(field)) {
    case TrackedField::Index:
        return static_cast<int32_t>(index);
    case TrackedField::Time:
        return bar->time;
    case TrackedField::Open:
        return bar->open;
    case TrackedField::High:
        return bar->high;
    case TrackedField::Low:
        return bar->low;
    case TrackedField::Close:
        return bar->close;
    case TrackedField::Volume:
        return bar->volume;
    }
    return 0;
}
SV_EXPORT(sv_shows_tip) int32_t SvShowsTip(int32_t x, int32_t y) {
    return Current().core.ShowsTip(x, y) ? 1 : 0;
}
// The tooltip's left and top beside a cursor at (x, y) in a viewport that wide.
SV_EXPORT(sv_tip_place) const int32_t* SvTipPlace(int32_t x, int32_t y, int32_t viewportWidth) {
    Boundary& s = State();
    const TipPlace place = Current().core.TipPlacement(x, y, viewportWidth);
    s.place[0] = place.left;
    s.place[1] = place.top;
    return s.place;
}
SV_EXPORT(sv_click_page) int32_t SvClickPage() {
    const auto url = Current().core.ClickPage();
    return url ? ToScratch(*url) : 0;
}

// --- The info record of the last load ---------------------------------------
SV_EXPORT(sv_info_number) int32_t SvInfoNumber(int32_t field) {
    const StockInfo& info = Current().core.Info();
    switch (static_cast<InfoNumber>(field)) {
    case InfoNumber::Date:
        return info.date;
    case InfoNumber::Time:
        return info.time;
    case InfoNumber::Current:
        return info.current;
    case InfoNumber::Change:
        return info.change;
    }
    return 0;
}
// The field (InfoTextField) in code page 949 into scratch.
SV_EXPORT(sv_info_text) int32_t SvInfoText(int32_t field) {
    const ChartSession& core = Current().core;
    return ToScratch(static_cast<InfoTextField>(field) == InfoTextField::Name ? core.InfoName() : core.InfoCode());
}
