#include "chart_settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "chart/win/chart_wnd.h"

namespace {

// Colours are written as unsigned 0x00BBGGRR, numbers may be negative: both
// must fit in 32 bits.
bool ParseNumber(const std::string& text, int32_t& out) {
    const char* s = text.c_str();
    const bool hex = s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(hex ? s + 2 : s, &end, hex ? 16 : 10);
    if (end == (hex ? s + 2 : s) || *end != '\0' || errno != 0) return false;
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return false;
    out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

struct Setting {
    const char* name;
    COLORREF ChartWnd::*colour;   // one of the two is set
    int32_t ChartWnd::*number;
};

const Setting kSettings[] = {
    {"crMainBackGround", &ChartWnd::crMainBackGround, nullptr},
    {"crValueBackGround", &ChartWnd::crValueBackGround, nullptr},
    {"crVolumeBackGround", &ChartWnd::crVolumeBackGround, nullptr},
    {"crBoxLine", &ChartWnd::crBoxLine, nullptr},
    {"nIsToolTip", nullptr, &ChartWnd::nIsToolTip},
    {"nIsCurrentBar", nullptr, &ChartWnd::nIsCurrentBar},
    {"nsizeGapX", nullptr, &ChartWnd::nsizeGapX},
    {"nsizeGapY", nullptr, &ChartWnd::nsizeGapY},
    {"crValueText", &ChartWnd::crValueText, nullptr},
    {"crVolumeText", &ChartWnd::crVolumeText, nullptr},
    {"crTime", &ChartWnd::crTime, nullptr},
    {"crValueHorizonalLine", &ChartWnd::crValueHorizonalLine, nullptr},
    {"crVolumeHorizonalLine", &ChartWnd::crVolumeHorizonalLine, nullptr},
    {"crStick", &ChartWnd::crStick, nullptr},
    {"crHighCandle", &ChartWnd::crHighCandle, nullptr},
    {"crLowCandle", &ChartWnd::crLowCandle, nullptr},
    {"crCurrentBarBackGround", &ChartWnd::crCurrentBarBackGround, nullptr},
    {"crCurrentBarText", &ChartWnd::crCurrentBarText, nullptr},
    {"crCurrentBarUpLine", &ChartWnd::crCurrentBarUpLine, nullptr},
    {"crCurrentBarDownLine", &ChartWnd::crCurrentBarDownLine, nullptr},
    {"crToolTipBackGround", &ChartWnd::crToolTipBackGround, nullptr},
    {"crToolTipOutLine", &ChartWnd::crToolTipOutLine, nullptr},
    {"crToolTipText", &ChartWnd::crToolTipText, nullptr},
};

}  // namespace

void ApplyControlDefaults(ChartWnd& chart) {
    // The chart's own defaults equal the control's except the time colour.
    chart.crTime = 0x000000;
    chart.strClickAction = "Y";
    chart.bIsEnglish = 0;
}

bool ApplyProperty(ChartWnd& chart, const std::string& name, const std::string& value,
                   std::string& error) {
    if (name == "strType") {
        chart.bIsEnglish = value == "ENG" ? 1 : 0;
        return true;
    }
    for (const Setting& s : kSettings) {
        if (name != s.name) continue;
        int32_t v = 0;
        if (!ParseNumber(value, v)) {
            error = "bad number for " + name + ": " + value;
            return false;
        }
        if (s.colour) chart.*s.colour = static_cast<COLORREF>(static_cast<uint32_t>(v));
        else chart.*s.number = v;
        return true;
    }
    error = "unknown property: " + name;
    return false;
}
