#include "tools/sivarta-data/cp949.h"

#include <iconv.h>

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    // Four output bytes per input byte always suffice between these two encodings.
    if (rc == static_cast<std::size_t>(-1) || srcLeft != 0) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

}   // namespace

std::optional<std::string> Utf8ToCp949(std::string_view utf8) {
    return Convert("CP949", "UTF-8", utf8);
}

std::optional<std::string> Cp949ToUtf8(std::string_view cp949) {
    return Convert("UTF-8", "CP949", cp949);
}
