// The tooltip's text: segments "colour;text\r\n" on one line, each drawn in
// its own colour. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TipSegment {
    int32_t colour;
    std::string text;
};

// One segment as AddSegment appends it: decimal colour, ';', text, "\r\n".
std::string MakeTipSegment(std::string_view text, int32_t colour);

// The segments of a text. A segment ends at "\r\n"; text after the last
// "\r\n" is no segment. The text part follows the first ';' (the whole segment
// when there is none); the colour is the number before it, read like atoi
// (leading blanks, optional sign, digits up to the first non-digit), 0 when
// there is no number. A colour beyond 32 bits saturates.
std::vector<TipSegment> ParseTipSegments(std::string_view segments);

// All text parts joined: what one line of the tooltip shows.
std::string JoinTipText(const std::vector<TipSegment>& segments);
