// The WebAssembly boundary of <sivarta-chart>: one ChartSession per module
// instance (each element instantiates the compiled module once). Strings and
// file bytes cross through buffers in linear memory that the module owns;
// scenes leave as a flat int32 array, PrimField::Count values per primitive.
// Everything both sides must agree on is exported by sv_constants, so the
// JavaScript side restates none of it.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/settings_table.h"
#include "interact/chart_session.h"
#include "web/module/constants.h"

#define SV_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Width in pixels of code page 949 text in the tooltip's font, measured by the page.
extern "C" __attribute__((import_module("env"), import_name("text_width"))) int32_t
TextWidthImport(const char* cp949, int32_t length);

namespace {

struct Boundary {
    ChartSession session{[](std::string_view text) {
        return TextWidthImport(text.data(), static_cast<int32_t>(text.size()));
    }};
    std::string scratch;
    std::vector<unsigned char> files[2];
    FetchedFile fetched[2];
    bool requestMade = false;
    std::vector<int32_t> flat;
    std::string flatText;
    int32_t place[2] = {0, 0};
};

Boundary& State() {
    static Boundary state;
    return state;
}

int32_t ToScratch(std::string text) {
    State().scratch = std::move(text);
    return static_cast<int32_t>(State().scratch.size());
}

const Scene& SceneOf(int32_t layer) {
    const ChartSession& session = State().session;
    switch (static_cast<SceneLayer>(layer)) {
    case SceneLayer::Crosshair: return session.CrosshairScene();
    case SceneLayer::Tip: return session.TipScene();
    case SceneLayer::Chart: break;
    }
    return session.ChartScene();
}

// The table entry of an index from the page, or nullptr.
const PropertyInfo* Prop(int32_t index) {
    const auto table = PropertyTable();
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[index] : nullptr;
}

}  // namespace

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
    s.files[i].assign(size, 0);
    s.fetched[i] = {s.files[i].data(), s.files[i].size(), arrived != 0, {}};
    return s.files[i].data();
}
// Why a file did not arrive: the text in scratch.
SV_EXPORT(sv_file_failure) void SvFileFailure(int32_t which, uint32_t length) {
    Boundary& s = State();
    s.fetched[which == 1 ? 1 : 0].failure = std::string_view(s.scratch).substr(0, length);
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
    Boundary& s = State();
    const PropertyInfo* p = Prop(index);
    if (!p) return 1;
    const std::string_view text = std::string_view(s.scratch).substr(0, length);
    return SetPropertyText(s.session.Settings(), *p, text) ? 1 : 0;
}
SV_EXPORT(sv_prop_string) int32_t SvPropString(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->string ? ToScratch(State().session.Settings().*(p->string)) : 0;
}
SV_EXPORT(sv_prop_number) int32_t SvPropNumber(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->number ? State().session.Settings().*(p->number) : 0;
}
SV_EXPORT(sv_size) void SvSize(int32_t width, int32_t height) {
    State().session.SetSize(width, height);
}

// --- Load and draw -----------------------------------------------------------
// The two URLs, "info\ndata", or why none is made, into scratch; sv_request_made says which.
SV_EXPORT(sv_request) int32_t SvRequest(int32_t pageIsHttps) {
    const DayRequest request = State().session.Request(pageIsHttps != 0);
    State().requestMade = request.Made();
    return ToScratch(request.Made() ? request.infoUrl + "\n" + request.dataUrl : request.refusal);
}
SV_EXPORT(sv_request_made) int32_t SvRequestMade() {
    return State().requestMade ? 1 : 0;
}
// LoadOutcome bits; sv_load_reason says why a load was not accepted.
SV_EXPORT(sv_load) int32_t SvLoad() {
    Boundary& s = State();
    const LoadVerdict& verdict = s.session.Load(s.fetched[0], s.fetched[1]);
    for (auto& f : s.files) std::vector<unsigned char>().swap(f);   // a day's bytes are not kept
    for (auto& f : s.fetched) f = {};
    return (verdict.Accepted() ? static_cast<int32_t>(LoadOutcome::Accepted) : 0) |
           (verdict.Failed() ? static_cast<int32_t>(LoadOutcome::Failed) : 0);
}
SV_EXPORT(sv_load_reason) int32_t SvLoadReason() {
    return ToScratch(State().session.LastLoad().Reason());
}
SV_EXPORT(sv_redraw) void SvRedraw() {
    State().session.Redraw();
}

// Flattens a layer's scene (SceneLayer); returns its primitive count.
SV_EXPORT(sv_scene) int32_t SvScene(int32_t layer) {
    Boundary& s = State();
    const Scene& scene = SceneOf(layer);
    s.flat.clear();
    s.flatText.clear();
    for (const ScenePrim& p : scene.Prims()) {
        int32_t offset = 0, length = 0;
        if (p.kind == PrimKind::Text) {
            const std::string_view text = scene.TextOf(p);
            offset = static_cast<int32_t>(s.flatText.size());
            length = static_cast<int32_t>(text.size());
            s.flatText += text;
        }
        FlattenPrim(p, offset, length, s.flat);
    }
    return static_cast<int32_t>(s.flat.size() / static_cast<size_t>(PrimField::Count));
}
SV_EXPORT(sv_flat) const int32_t* SvFlat() {
    return State().flat.data();
}
SV_EXPORT(sv_flat_text) const char* SvFlatText() {
    return State().flatText.data();
}
SV_EXPORT(sv_flat_text_size) int32_t SvFlatTextSize() {
    return static_cast<int32_t>(State().flatText.size());
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
    return State().session.PointerMove(x, y);
}
SV_EXPORT(sv_retrack) int32_t SvRetrack() {
    return State().session.Retrack();
}
SV_EXPORT(sv_key) int32_t SvKey(int32_t key) {
    if (key < 0 || key > static_cast<int32_t>(ArrowKey::Right)) return 0;
    return State().session.PressKey(static_cast<ArrowKey>(key));
}
// 0 x, 1 y of the crosshair's point, 2 whether the pointer has been over the frame.
SV_EXPORT(sv_crosshair) int32_t SvCrosshair(int32_t field) {
    const ChartSession& session = State().session;
    return field == 0 ? session.Crosshair().x : field == 1 ? session.Crosshair().y : session.HasTracked() ? 1 : 0;
}
// --- Scrolling, zoom and presses ------------------------------------------------
// Each returns ChartSession's flags; kScrolled means the chart's scene changed.
SV_EXPORT(sv_scroll_key) int32_t SvScrollKey(int32_t key) {
    if (key < 0 || key > static_cast<int32_t>(ScrollKey::PageDown)) return 0;
    return State().session.PressScrollKey(static_cast<ScrollKey>(key));
}
SV_EXPORT(sv_scroll_pixels) int32_t SvScrollPixels(int32_t dx) {
    return State().session.ScrollPixels(dx);
}
SV_EXPORT(sv_zoom) int32_t SvZoom(int32_t steps, int32_t anchorX) {
    return State().session.Zoom(steps, anchorX);
}
// distance < 0 begins a pinch at -distance; otherwise the pinch goes on.
SV_EXPORT(sv_pinch) int32_t SvPinch(int32_t distance, int32_t anchorX) {
    if (distance >= 0) return State().session.PinchTo(distance, anchorX);
    State().session.PinchBegin(-distance);
    return 0;
}
SV_EXPORT(sv_press) void SvPress(int32_t x, int32_t y, int32_t touch) {
    State().session.Press(x, y, touch != 0);
}
SV_EXPORT(sv_drag) int32_t SvDrag(int32_t x, int32_t y) {
    return State().session.Drag(x, y);
}
// ReleaseAction.
SV_EXPORT(sv_release) int32_t SvRelease(int32_t x, int32_t y) {
    return static_cast<int32_t>(State().session.Release(x, y));
}
SV_EXPORT(sv_cancel_press) void SvCancelPress() {
    State().session.CancelPress();
}
// 0 slot width, 1 first record shown, 2 whether the view follows the newest record.
SV_EXPORT(sv_view) int32_t SvView(int32_t field) {
    const ChartSession& session = State().session;
    return field == 0 ? session.SlotWidth() : field == 1 ? session.FirstShown() : session.Following() ? 1 : 0;
}
// The record under the crosshair in words (UTF-8) into scratch.
SV_EXPORT(sv_announcement) int32_t SvAnnouncement() {
    return ToScratch(State().session.Announcement());
}
SV_EXPORT(sv_shows_tip) int32_t SvShowsTip(int32_t x, int32_t y) {
    return State().session.ShowsTip(x, y) ? 1 : 0;
}
// The tooltip's left and top beside a cursor at (x, y) in a viewport that wide.
SV_EXPORT(sv_tip_place) const int32_t* SvTipPlace(int32_t x, int32_t y, int32_t viewportWidth) {
    Boundary& s = State();
    const TipPlace place = s.session.TipPlacement(x, y, viewportWidth);
    s.place[0] = place.left;
    s.place[1] = place.top;
    return s.place;
}
SV_EXPORT(sv_click_page) int32_t SvClickPage() {
    const auto url = State().session.ClickPage();
    return url ? ToScratch(*url) : 0;
}

// --- The info record of the last load ---------------------------------------
SV_EXPORT(sv_info_number) int32_t SvInfoNumber(int32_t field) {
    const StockInfo& info = State().session.Info();
    switch (static_cast<InfoNumber>(field)) {
    case InfoNumber::Date: return info.date;
    case InfoNumber::Time: return info.time;
    case InfoNumber::Current: return info.current;
    case InfoNumber::Change: return info.change;
    }
    return 0;
}
// The field (InfoTextField) in code page 949 into scratch.
SV_EXPORT(sv_info_text) int32_t SvInfoText(int32_t field) {
    const ChartSession& session = State().session;
    return ToScratch(static_cast<InfoTextField>(field) == InfoTextField::Name ? session.InfoName()
                                                                            : session.InfoCode());
}
