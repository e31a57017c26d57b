#include "chart/settings_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

using S = ChartSettings;

constexpr PropertyInfo Str(const char* name, int32_t dispid, PropUse use, std::string S::*field) {
    return {name, dispid, PropType::String, use, 0, "", nullptr, field};
}
constexpr PropertyInfo Num(const char* name, int32_t dispid, PropUse use, int32_t value, int32_t S::*field) {
    return {name, dispid, PropType::Number, use, value, nullptr, field, nullptr};
}
constexpr PropertyInfo Col(const char* name, int32_t dispid, int32_t value, int32_t S::*field) {
    return {name, dispid, PropType::Colour, PropUse::Display, value, nullptr, field, nullptr};
}

constexpr std::array<PropertyInfo, 30> kTable{
    Str("strURL", 1, PropUse::Click, &S::strURL),
    Str("strCode", 2, PropUse::Load, &S::strCode),
    Num("nsizeMainX", 3, PropUse::Size, 228, &S::nsizeMainX),
    Num("nsizeMainY", 4, PropUse::Size, 190, &S::nsizeMainY),
    Col("crMainBackGround", 5, 0xFCF5EE, &S::crMainBackGround),
    Col("crValueBackGround", 6, 0xF7FFFF, &S::crValueBackGround),
    Col("crVolumeBackGround", 7, 0xF7FFFF, &S::crVolumeBackGround),
    Col("crBoxLine", 8, 0xFF6363, &S::crBoxLine),
    Num("nIsToolTip", 9, PropUse::Display, 1, &S::nIsToolTip),
    Num("nIsCurrentBar", 10, PropUse::Display, 1, &S::nIsCurrentBar),
    Num("nsizeGapX", 11, PropUse::Display, 5, &S::nsizeGapX),
    Num("nsizeGapY", 12, PropUse::Display, 4, &S::nsizeGapY),
    Col("crValueText", 13, 0x000000, &S::crValueText),
    Col("crVolumeText", 14, 0xFF0094, &S::crVolumeText),
    Col("crTime", 15, 0x000000, &S::crTime),
    Col("crValueHorizonalLine", 16, 0xD6D6D6, &S::crValueHorizonalLine),
    Col("crVolumeHorizonalLine", 17, 0xD6D6D6, &S::crVolumeHorizonalLine),
    Col("crStick", 18, 0xFFA570, &S::crStick),
    Col("crHighCandle", 19, 0x1701E5, &S::crHighCandle),
    Col("crLowCandle", 20, 0x89482B, &S::crLowCandle),
    Col("crCurrentBarBackGround", 21, 0xFFFEDF, &S::crCurrentBarBackGround),
    Col("crCurrentBarText", 22, 0x9C3100, &S::crCurrentBarText),
    Col("crCurrentBarUpLine", 23, 0xE4FFFE, &S::crCurrentBarUpLine),
    Col("crCurrentBarDownLine", 24, 0xD0CFB2, &S::crCurrentBarDownLine),
    Col("crToolTipBackGround", 25, 0xFFFEDF, &S::crToolTipBackGround),
    Col("crToolTipOutLine", 26, 0xFFA570, &S::crToolTipOutLine),
    Col("crToolTipText", 27, 0x000000, &S::crToolTipText),
    Str("strType", 28, PropUse::Display, &S::strType),
    Str("strChartUrl", 29, PropUse::Load, &S::strChartUrl),
    Str("strClickAction", 30, PropUse::Click, &S::strClickAction),
};

// The stream format: this order, never the dispatch order.
constexpr std::array<const char*, 30> kPersistOrder{
    "strCode",
    "strURL",
    "nsizeMainX",
    "nsizeMainY",
    "crMainBackGround",
    "crValueBackGround",
    "crVolumeBackGround",
    "crBoxLine",
    "crValueText",
    "crVolumeText",
    "crValueHorizonalLine",
    "crVolumeHorizonalLine",
    "crTime",
    "crStick",
    "crHighCandle",
    "crLowCandle",
    "crCurrentBarBackGround",
    "crCurrentBarText",
    "crCurrentBarUpLine",
    "crCurrentBarDownLine",
    "crToolTipBackGround",
    "crToolTipOutLine",
    "crToolTipText",
    "nIsToolTip",
    "nIsCurrentBar",
    "nsizeGapX",
    "nsizeGapY",
    "strType",
    "strChartUrl",
    "strClickAction",
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Decimal (with sign) or 0x hex; numbers in int32, colours up to 0xFFFFFFFF.
std::optional<int32_t> ParseNumber(std::string_view text, bool colour) {
    const std::string s(text);
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const char* begin = s.c_str() + (hex ? 2 : 0);
    // strtoll would also take leading white space and, in hex, a sign or a
    // second 0x; markup values carry none of them.
    if (*begin == '\0' || std::isspace(static_cast<unsigned char>(*begin))) return {};
    const auto isHexDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (hex && !std::all_of(begin, s.c_str() + s.size(), isHexDigit)) return {};
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(begin, &end, hex ? 16 : 10);
    if (*end != '\0' || errno != 0) return {};
    const long long high = colour ? static_cast<long long>(UINT32_MAX) : INT32_MAX;
    if (v < INT32_MIN || v > high) return {};
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

}   // namespace

ChartSettings::ChartSettings() {
    for (const PropertyInfo& p : kTable) {
        if (p.number)
            this->*p.number = p.defaultNumber;
        else
            this->*p.string = p.defaultString;
    }
}

std::span<const PropertyInfo> PropertyTable() {
    return kTable;
}

const PropertyInfo* FindProperty(std::string_view name) {
    for (const PropertyInfo& p : kTable)
        if (SameIgnoringCase(p.name, name)) return &p;
    return nullptr;
}

std::span<const char* const> PersistOrder() {
    return kPersistOrder;
}

std::optional<std::string> SetPropertyText(ChartSettings& settings, const PropertyInfo& property,
                                           std::string_view text) {
    if (property.string) {
        settings.*property.string = std::string(text);
        return std::nullopt;
    }
    const std::optional<int32_t> value = ParseNumber(text, property.type == PropType::Colour);
    if (!value) return "bad number for " + std::string(property.name) + ": " + std::string(text);
    settings.*property.number = *value;
    return std::nullopt;
}
