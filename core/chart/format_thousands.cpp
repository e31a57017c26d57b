#include "chart/format_thousands.h"

std::string FormatThousands(int32_t value) {
    // to_string covers INT32_MIN, whose magnitude does not fit an int32.
    const std::string text = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    const std::size_t digits = text.size() - sign;
    if (digits <= 3) return text;

    std::string out = text.substr(0, sign);
    out.reserve(text.size() + digits / 3);
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0) out += ',';
        out += text[sign + i];
    }
    return out;
}
