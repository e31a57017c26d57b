// --prop NAME=VALUE: a display property of the settings table, set on the
// chart by its name.
#pragma once

#include <string>

class ChartWnd;

// Sets a display property (colours, switches, gaps, strType; the name in any
// ASCII case) from its text: decimal or 0x hexadecimal numbers, any text for
// strType. False with a message for an unknown name, a property that is not a
// display property, or an unreadable number.
bool ApplyProperty(ChartWnd& chart, const std::string& name, const std::string& value, std::string& error);
