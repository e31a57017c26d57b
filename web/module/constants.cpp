#include "web/module/constants.h"

#include <cstddef>

#include "chart/settings_table.h"
#include "interact/chart_session.h"

namespace {

// The constants as rows: a group opens with value -1 and closes with a null
// name; other rows are numbers. Names are plain identifiers (no escaping).
struct Row {
    const char* name;
    int64_t value;
};
const Row kRows[] = {
    {"prim", -1},
    {"ints", static_cast<int64_t>(PrimField::Count)},
    {"head", static_cast<int64_t>(PrimField::Head)},
    {"left", static_cast<int64_t>(PrimField::Left)},
    {"top", static_cast<int64_t>(PrimField::Top)},
    {"right", static_cast<int64_t>(PrimField::Right)},
    {"bottom", static_cast<int64_t>(PrimField::Bottom)},
    {"colour", static_cast<int64_t>(PrimField::Colour)},
    {"fill", static_cast<int64_t>(PrimField::Fill)},
    {"textOffset", static_cast<int64_t>(PrimField::TextOffset)},
    {"textLength", static_cast<int64_t>(PrimField::TextLength)},
    {nullptr, 0},
    {"kind", -1},
    {"Fill", static_cast<int64_t>(PrimKind::Fill)},
    {"Frame", static_cast<int64_t>(PrimKind::Frame)},
    {"Line", static_cast<int64_t>(PrimKind::Line)},
    {"Text", static_cast<int64_t>(PrimKind::Text)},
    {nullptr, 0},
    {"align", -1},
    {"Center", static_cast<int64_t>(TextAlign::Center)},
    {"LeftSingleLine", static_cast<int64_t>(TextAlign::LeftSingleLine)},
    {nullptr, 0},
    {"font", -1},
    {"Chart", static_cast<int64_t>(FontRole::Chart)},
    {"Tip", static_cast<int64_t>(FontRole::Tip)},
    {nullptr, 0},
    {"layer", -1},
    {"chart", static_cast<int64_t>(SceneLayer::Chart)},
    {"crosshair", static_cast<int64_t>(SceneLayer::Crosshair)},
    {"tip", static_cast<int64_t>(SceneLayer::Tip)},
    {nullptr, 0},
    {"key", -1},
    {"ArrowDown", static_cast<int64_t>(ArrowKey::Down)},
    {"ArrowUp", static_cast<int64_t>(ArrowKey::Up)},
    {"ArrowLeft", static_cast<int64_t>(ArrowKey::Left)},
    {"ArrowRight", static_cast<int64_t>(ArrowKey::Right)},
    {nullptr, 0},
    {"scrollKey", -1},
    {"Home", static_cast<int64_t>(ScrollKey::Home)},
    {"End", static_cast<int64_t>(ScrollKey::End)},
    {"PageUp", static_cast<int64_t>(ScrollKey::PageUp)},
    {"PageDown", static_cast<int64_t>(ScrollKey::PageDown)},
    {nullptr, 0},
    {"release", -1},
    {"openPage", static_cast<int64_t>(ReleaseAction::OpenPage)},
    {"showTip", static_cast<int64_t>(ReleaseAction::ShowTip)},
    {nullptr, 0},
    {"flag", -1},
    {"crosshairMoved", static_cast<int64_t>(ChartSession::kCrosshairMoved)},
    {"tipChanged", static_cast<int64_t>(ChartSession::kTipChanged)},
    {"scrolled", static_cast<int64_t>(ChartSession::kScrolled)},
    {nullptr, 0},
    {"load", -1},
    {"accepted", static_cast<int64_t>(LoadOutcome::Accepted)},
    {"failed", static_cast<int64_t>(LoadOutcome::Failed)},
    {"changed", static_cast<int64_t>(LoadOutcome::Changed)},
    {nullptr, 0},
    {"tracked", -1},
    {"index", static_cast<int64_t>(TrackedField::Index)},
    {"time", static_cast<int64_t>(TrackedField::Time)},
    {"open", static_cast<int64_t>(TrackedField::Open)},
    {"high", static_cast<int64_t>(TrackedField::High)},
    {"low", static_cast<int64_t>(TrackedField::Low)},
    {"close", static_cast<int64_t>(TrackedField::Close)},
    {"volume", static_cast<int64_t>(TrackedField::Volume)},
    {nullptr, 0},
    {"propType", -1},
    {"String", static_cast<int64_t>(PropType::String)},
    {nullptr, 0},
    {"propUse", -1},
    {"Display", static_cast<int64_t>(PropUse::Display)},
    {"Size", static_cast<int64_t>(PropUse::Size)},
    {"Load", static_cast<int64_t>(PropUse::Load)},
    {"Click", static_cast<int64_t>(PropUse::Click)},
    {nullptr, 0},
    {"infoNumber", -1},
    {"date", static_cast<int64_t>(InfoNumber::Date)},
    {"time", static_cast<int64_t>(InfoNumber::Time)},
    {"current", static_cast<int64_t>(InfoNumber::Current)},
    {"change", static_cast<int64_t>(InfoNumber::Change)},
    {nullptr, 0},
    {"infoText", -1},
    {"code", static_cast<int64_t>(InfoTextField::Code)},
    {"name", static_cast<int64_t>(InfoTextField::Name)},
    {nullptr, 0},
    {"limits", -1},
    {"idleMs", static_cast<int64_t>(kLoadLimits.idleMs)},
    {"fileMs", static_cast<int64_t>(kLoadLimits.fileMs)},
    {"loadMs", static_cast<int64_t>(kLoadLimits.loadMs)},
    {"maxBytes", static_cast<int64_t>(kLoadLimits.maxBytes)},
    {nullptr, 0},
    {"maxCodeLength", static_cast<int64_t>(kMaxCodeLength)},
    {"fontPx", kChartFontHeight},
    {"hoverMs", kHoverTickMs},
};

void Append(std::string& json, const char* name) {
    if (json.back() != '{') json += ',';
    json += '"';
    json += name;
    json += "\":";
}

// A JSON string of ASCII text (the defaults and the failure text are ASCII).
void AppendText(std::string& json, const char* name, std::string_view text) {
    Append(json, name);
    json += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') json += '\\';
        json += c;
    }
    json += '"';
}

}   // namespace

constexpr size_t FieldAt(PrimField field) {
    return static_cast<size_t>(field) * sizeof(int32_t);
}
static_assert(sizeof(ScenePrim) == FieldAt(PrimField::Count));
static_assert(offsetof(ScenePrim, rect) == FieldAt(PrimField::Left) &&
              offsetof(ScenePrim, colour) == FieldAt(PrimField::Colour) &&
              offsetof(ScenePrim, fill) == FieldAt(PrimField::Fill) &&
              offsetof(ScenePrim, textOffset) == FieldAt(PrimField::TextOffset) &&
              offsetof(ScenePrim, textLength) == FieldAt(PrimField::TextLength));
static_assert(offsetof(ScenePrim, kind) == FieldAt(PrimField::Head) &&
              offsetof(ScenePrim, align) == FieldAt(PrimField::Head) + 1 &&
              offsetof(ScenePrim, font) == FieldAt(PrimField::Head) + 2);

std::string BoundaryConstantsJson() {
    std::string json = "{";
    for (const Row& row : kRows) {
        if (!row.name) {
            json += '}';
            continue;
        }
        Append(json, row.name);
        if (row.value == -1)
            json += '{';
        else
            json += std::to_string(row.value);
    }
    const ChartSettings defaults;
    Append(json, "chartSize");
    json += "{\"width\":" + std::to_string(defaults.nsizeMainX) + ",\"height\":" + std::to_string(defaults.nsizeMainY) +
            '}';
    AppendText(json, "defaultCode", kDefaultCode);
    AppendText(json, "defaultHost", DefaultHost());
    AppendText(json, "failureText", kLoadFailedText);
    AppendText(json, "infoFolder", kInfoFolder);
    AppendText(json, "dataFolder", kDataFolder);
    AppendText(json, "dayFileSuffix", kDayFileSuffix);
    return json + '}';
}
