// Decimal text of a price or volume with its digits grouped by three.
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>

// 1234567 -> "1,234,567", -1234 -> "-1,234". The separator is always ','.
std::string FormatThousands(int32_t value);
