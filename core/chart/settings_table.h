// The chart's thirty settings: one table gives each its name, DISPID, type,
// default and the part of the chart it feeds. The control's automation and
// persistence, the chart window, the snapshot tool, the renderer and the web
// component all read this table. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The thirty values, under the properties' own names, with the control's
// defaults (set from the table by the constructor).
struct ChartSettings {
    ChartSettings();

    std::string strURL;
    std::string strCode;
    int32_t nsizeMainX;
    int32_t nsizeMainY;
    int32_t crMainBackGround;
    int32_t crValueBackGround;
    int32_t crVolumeBackGround;
    int32_t crBoxLine;
    int32_t nIsToolTip;
    int32_t nIsCurrentBar;
    int32_t nsizeGapX;
    int32_t nsizeGapY;
    int32_t crValueText;
    int32_t crVolumeText;
    int32_t crTime;
    int32_t crValueHorizonalLine;
    int32_t crVolumeHorizonalLine;
    int32_t crStick;
    int32_t crHighCandle;
    int32_t crLowCandle;
    int32_t crCurrentBarBackGround;
    int32_t crCurrentBarText;
    int32_t crCurrentBarUpLine;
    int32_t crCurrentBarDownLine;
    int32_t crToolTipBackGround;
    int32_t crToolTipOutLine;
    int32_t crToolTipText;
    std::string strType;
    std::string strChartUrl;
    std::string strClickAction;

    // Option rules, compared byte-wise and case-sensitively.
    bool IsEnglish() const { return strType == "ENG"; }           // exactly "ENG"
    bool ClickEnabled() const { return strClickAction != "N"; }   // only exactly "N" turns it off
};

enum class PropType : uint8_t { String, Number, Colour };

// What a property feeds. Display properties change only the picture; the
// renderer and the web component accept exactly these as options.
enum class PropUse : uint8_t {
    Display,   // colours, switches, gaps, strType
    Size,      // nsizeMainX, nsizeMainY: the window's size
    Load,      // strCode, strChartUrl: what is downloaded, from where
    Click,     // strURL, strClickAction: the click-through
};

struct PropertyInfo {
    const char* name;
    int32_t dispid;   // 1-based position in the dispatch table
    PropType type;
    PropUse use;
    int32_t defaultNumber;                // Number and Colour
    const char* defaultString;            // String
    int32_t ChartSettings::*number;       // Number and Colour, else nullptr
    std::string ChartSettings::*string;   // String, else nullptr
};

// The thirty properties in dispatch order (DISPIDs 1 to 30).
std::span<const PropertyInfo> PropertyTable();

// The property of that name, matched ignoring ASCII case (automation, HTML
// attributes and query strings are case-insensitive), or nullptr.
const PropertyInfo* FindProperty(std::string_view name);

// The persisted order of the thirty properties: the stream format. It differs
// from the dispatch order and never changes.
std::span<const char* const> PersistOrder();

// Sets a property from text the way markup gives it: strings as they are,
// numbers and colours as decimal (colours also as 0x hex), in the 32-bit range
// (colours up to 0xFFFFFFFF). Returns an error text, or nothing on success; on
// error the settings are unchanged.
std::optional<std::string> SetPropertyText(ChartSettings& settings, const PropertyInfo& property,
                                           std::string_view text);
