#include "chart_settings.h"

#include "chart/settings_table.h"
#include "activex/chart/chart_wnd.h"

bool ApplyProperty(ChartWnd& chart, const std::string& name, const std::string& value, std::string& error) {
    const PropertyInfo* property = FindProperty(name);
    if (!property) {
        error = "unknown property: " + name;
        return false;
    }
    // The size, the code and the host have their own options.
    if (property->use != PropUse::Display) {
        error = "not a display property: " + name + " (see --size, --code, --host)";
        return false;
    }
    if (auto failure = SetPropertyText(chart.Model().settings, *property, value)) {
        error = *failure;
        return false;
    }
    return true;
}
