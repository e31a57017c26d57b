#include "chart_settings.h"

#include "chart/settings_table.h"
#include "chart/win/chart_wnd.h"

void ApplyControlDefaults(ChartWnd& chart) {
    chart.settings = ChartSettings();
}

bool ApplyProperty(ChartWnd& chart, const std::string& name, const std::string& value,
                   std::string& error) {
    const PropertyInfo* property = FindProperty(name);
    if (!property || property->use != PropUse::Display) {
        error = "unknown property: " + name;
        return false;
    }
    if (auto failure = SetPropertyText(chart.settings, *property, value)) {
        error = *failure;
        return false;
    }
    return true;
}
