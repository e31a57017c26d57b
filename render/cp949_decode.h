// Code page 949 bytes to Unicode code points, for drawing the scene's texts.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

class Cp949Decoder {
public:
    Cp949Decoder();
    ~Cp949Decoder();
    Cp949Decoder(const Cp949Decoder&) = delete;
    Cp949Decoder& operator=(const Cp949Decoder&) = delete;

    // Every byte sequence decodes: a byte that starts no valid character
    // becomes U+003F '?', the system's default character for this code page.
    std::u32string Decode(std::string_view cp949);

private:
    iconv_t cd;
};
