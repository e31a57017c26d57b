// The WebAssembly boundary of <sivarta-chart>: one WebChart per module
// instance (each element instantiates the compiled module once). Strings and
// file bytes cross through buffers in linear memory that the module owns;
// scenes leave as a flat int32 array, nine values per primitive:
//   kind | align << 8 | font << 16, left, top, right, bottom, colour, fill,
//   text offset, text length (offsets into the flat text buffer).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/settings_table.h"
#include "data/stock_text.h"
#include "interact/tip_place.h"
#include "interact/web_chart.h"

#define SV_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Width in pixels of code page 949 text in the tooltip's font, measured by the page.
extern "C" __attribute__((import_module("env"), import_name("text_width"))) int32_t
TextWidthImport(const char* cp949, int32_t length);

namespace {

constexpr int kPrimInts = 9;

struct Boundary {
    WebChart chart{[](std::string_view text) {
        return TextWidthImport(text.data(), static_cast<int32_t>(text.size()));
    }};
    std::string scratch;
    std::vector<unsigned char> files[2];
    bool arrived[2] = {false, false};
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

const Scene& SceneOf(int32_t which) {
    const WebChart& chart = State().chart;
    return which == 1 ? chart.CrosshairScene() : which == 2 ? chart.TipScene() : chart.ChartScene();
}

// The table entry of an index from the page, or nullptr.
const PropertyInfo* Prop(int32_t index) {
    const auto table = PropertyTable();
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[index] : nullptr;
}

bool Cp949Lead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

}  // namespace

// --- Buffers ---------------------------------------------------------------
SV_EXPORT(sv_scratch) char* SvScratch(uint32_t size) {
    State().scratch.resize(size);
    return State().scratch.data();
}
SV_EXPORT(sv_scratch_data) const char* SvScratchData() {
    return State().scratch.data();
}
// The buffer a file's bytes are copied into (0 info, 1 data); size 0 with
// arrived 0 marks a failed download.
SV_EXPORT(sv_file) unsigned char* SvFile(int32_t which, uint32_t size, int32_t arrived) {
    Boundary& s = State();
    const int i = which == 1 ? 1 : 0;
    s.files[i].assign(size, 0);
    s.arrived[i] = arrived != 0;
    return s.files[i].data();
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
    return SetPropertyText(s.chart.Settings(), *p, text) ? 1 : 0;
}
SV_EXPORT(sv_prop_string) int32_t SvPropString(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->string ? ToScratch(State().chart.Settings().*(p->string)) : 0;
}
SV_EXPORT(sv_prop_number) int32_t SvPropNumber(int32_t index) {
    const PropertyInfo* p = Prop(index);
    return p && p->number ? State().chart.Settings().*(p->number) : 0;
}
SV_EXPORT(sv_size) void SvSize(int32_t width, int32_t height) {
    State().chart.SetSize(width, height);
}

// --- Load and draw -----------------------------------------------------------
// The two URLs, "info\ndata", into scratch; 0 when the code loads nothing.
SV_EXPORT(sv_request) int32_t SvRequest(int32_t pageIsHttps) {
    const auto urls = State().chart.RequestUrls(pageIsHttps != 0);
    return urls ? ToScratch(*urls) : 0;
}
SV_EXPORT(sv_load) int32_t SvLoad() {
    Boundary& s = State();
    const DayBytes info{s.files[0].data(), s.files[0].size(), s.arrived[0]};
    const DayBytes data{s.files[1].data(), s.files[1].size(), s.arrived[1]};
    const bool ok = s.chart.Load(info, data);
    for (auto& f : s.files) std::vector<unsigned char>().swap(f);   // a day's bytes are not kept
    return ok ? 1 : 0;
}
// The text the chart shows for a failed load, into scratch; 0 after a good one.
SV_EXPORT(sv_failure_text) int32_t SvFailureText() {
    return State().chart.Failed() ? ToScratch(kLoadFailedText) : 0;
}
SV_EXPORT(sv_redraw) void SvRedraw() {
    State().chart.Redraw();
}

// Flattens a scene (0 chart, 1 crosshair, 2 tooltip); returns its primitive count.
SV_EXPORT(sv_scene) int32_t SvScene(int32_t which) {
    Boundary& s = State();
    const Scene& scene = SceneOf(which);
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
        const int32_t head = static_cast<int32_t>(p.kind) | static_cast<int32_t>(p.align) << 8 |
                             static_cast<int32_t>(p.font) << 16;
        s.flat.insert(s.flat.end(), {head, p.rect.left, p.rect.top, p.rect.right, p.rect.bottom,
                                     static_cast<int32_t>(p.colour), static_cast<int32_t>(p.fill),
                                     offset, length});
    }
    return static_cast<int32_t>(s.flat.size() / kPrimInts);
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
SV_EXPORT(sv_scene_width) int32_t SvSceneWidth(int32_t which) {
    return SceneOf(which).Width();
}
SV_EXPORT(sv_scene_height) int32_t SvSceneHeight(int32_t which) {
    return SceneOf(which).Height();
}

// --- Interaction -------------------------------------------------------------
SV_EXPORT(sv_track) int32_t SvTrack(int32_t x, int32_t y, int32_t fromPointer) {
    return State().chart.Track(x, y, fromPointer != 0);
}
SV_EXPORT(sv_retrack) int32_t SvRetrack() {
    return State().chart.Retrack();
}
// 0 down, 1 up, 2 left, 3 right
SV_EXPORT(sv_key) int32_t SvKey(int32_t key) {
    if (key < 0 || key > 3) return 0;
    return State().chart.PressKey(static_cast<WebChart::Key>(key));
}
SV_EXPORT(sv_in_box) int32_t SvInBox(int32_t x, int32_t y) {
    return State().chart.InBox(x, y) ? 1 : 0;
}
// The tooltip's left and top beside a cursor at (x, y) in a viewport screenWidth wide.
SV_EXPORT(sv_place_tip) const int32_t* SvPlaceTip(int32_t x, int32_t y, int32_t screenWidth) {
    Boundary& s = State();
    const TipPlace place = PlaceTip(x, y, s.chart.TipScene().Width(), screenWidth);
    s.place[0] = place.left;
    s.place[1] = place.top;
    return s.place;
}
SV_EXPORT(sv_click_url) int32_t SvClickUrl() {
    const auto url = State().chart.ClickUrl();
    return url ? ToScratch(*url) : 0;
}

// --- The info record of the last load ---------------------------------------
// 0 date, 1 time, 2 current, 3 change
SV_EXPORT(sv_info_number) int32_t SvInfoNumber(int32_t field) {
    const StockInfo& info = State().chart.Info();
    switch (field) {
    case 0: return info.date;
    case 1: return info.time;
    case 2: return info.current;
    case 3: return info.change;
    }
    return 0;
}
// 0 code, 1 name (code page 949) into scratch
SV_EXPORT(sv_info_text) int32_t SvInfoText(int32_t field) {
    const StockInfo& info = State().chart.Info();
    return ToScratch(field == 1 ? FieldText(info.name, sizeof info.name, Cp949Lead)
                                : FieldText(info.code, sizeof info.code, Cp949Lead));
}
