#include "interact/tip_segments.h"

#include <limits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int32_t ParseColour(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulated in 64 bits and held at the limit, so a long number cannot overflow.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value == kLimit ? kLimit - 1 : value);
}

}   // namespace

std::string MakeTipSegment(std::string_view text, int32_t colour) {
    std::string segment = std::to_string(colour);
    segment += ';';
    segment += text;
    segment += "\r\n";
    return segment;
}

std::vector<TipSegment> ParseTipSegments(std::string_view segments) {
    std::vector<TipSegment> parsed;
    for (size_t end; (end = segments.find("\r\n")) != std::string_view::npos;) {
        const std::string_view segment = segments.substr(0, end);
        const size_t semicolon = segment.find(';');
        if (semicolon == std::string_view::npos) {
            parsed.push_back({0, std::string(segment)});
        } else {
            parsed.push_back({ParseColour(segment.substr(0, semicolon)), std::string(segment.substr(semicolon + 1))});
        }
        segments.remove_prefix(end + 2);
    }
    return parsed;
}

std::string JoinTipText(const std::vector<TipSegment>& segments) {
    std::string joined;
    for (const TipSegment& segment : segments) joined += segment.text;
    return joined;
}
