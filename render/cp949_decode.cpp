#include "render/cp949_decode.h"

#include <stdexcept>

namespace {

// Code points in the host's byte order, so they can be read as char32_t.
constexpr const char* kUtf32 = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? "UTF-32BE" : "UTF-32LE";

}   // namespace

Cp949Decoder::Cp949Decoder() : cd(iconv_open(kUtf32, "CP949")) {
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP949 converter");
}

Cp949Decoder::~Cp949Decoder() {
    iconv_close(cd);
}

std::u32string Cp949Decoder::Decode(std::string_view cp949) {
    std::u32string out;
    out.reserve(cp949.size());
    size_t i = 0;
    while (i < cp949.size()) {
        const auto byte = static_cast<unsigned char>(cp949[i]);
        if (byte < 0x80) {   // ASCII stands for itself: the common case needs no converter
            out.push_back(byte);
            ++i;
            continue;
        }
        // One character of one or two bytes at a time, so a bad byte costs
        // only itself.
        char32_t unit = 0;
        bool done = false;
        for (size_t length = 1; length <= 2 && i + length <= cp949.size() && !done; ++length) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char* src = const_cast<char*>(cp949.data() + i);
            size_t srcLeft = length;
            char* dst = reinterpret_cast<char*>(&unit);
            size_t dstLeft = sizeof unit;
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0 && dstLeft == 0) {
                out.push_back(unit);
                i += length;
                done = true;
            }
        }
        if (!done) {
            out.push_back(U'?');
            ++i;
        }
    }
    return out;
}
