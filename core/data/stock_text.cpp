#include "data/stock_text.h"

#include <cstring>

namespace {
bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
}   // namespace

std::string FieldText(const char* field, size_t width, LeadByteTest isLeadByte) {
    char buffer[64] = {};
    if (width > sizeof buffer - 1) width = sizeof buffer - 1;
    for (size_t i = 0; i < width && field[i]; ++i) buffer[i] = field[i];
    size_t length = std::strlen(buffer);

    size_t keep = 0;   // end of the last character that is not white space
    for (size_t i = 0; i < length;) {
        auto c = static_cast<unsigned char>(buffer[i]);
        size_t step = (isLeadByte(c) && i + 1 < length) ? 2 : 1;
        if (step == 2 || !IsSpace(c)) keep = i + step;
        i += step;
    }
    return std::string(buffer, keep);
}
