// The control's default property values as the chart receives them, and
// --prop NAME=VALUE applied by property name.
#pragma once

#include <string>

class ChartWnd;

// What the control hands a new chart window with its default properties.
void ApplyControlDefaults(ChartWnd& chart);

// Sets one of the 23 chart settings or strType by its property name. The
// value is decimal or 0x hexadecimal (strType takes any text). False with a
// message for an unknown name or an unreadable number.
bool ApplyProperty(ChartWnd& chart, const std::string& name, const std::string& value,
                   std::string& error);
