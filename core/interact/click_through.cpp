#include "interact/click_through.h"

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// An absolute http(s) URL with something after the scheme. A path, a UNC
// name, "javascript:", "file:" or a leading option all fail here.
bool IsWebUrl(const std::string& url) {
    const size_t n = WebSchemeLength(url);
    return n > 0 && url.size() > n;
}

// Space, quote and control characters end or split an argument on a
// command line; encoded, they reach the browser as the page meant them.
std::string EncodeForCommandLine(const std::string& url) {
    std::string out;
    out.reserve(url.size());
    for (unsigned char c : url) {
        if (c <= 0x20 || c == '"' || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}   // namespace

size_t WebSchemeLength(std::string_view text) {
    for (std::string_view scheme : {"http://", "https://"})
        if (StartsWithIgnoringCase(text, scheme)) return scheme.size();
    return 0;
}

std::optional<std::string> ClickThroughPage(const std::string& url, const std::string& defaultPage) {
    const std::string& page = url.empty() ? defaultPage : url;
    if (page.find('\0') != std::string::npos || !IsWebUrl(page)) return std::nullopt;
    return page;
}

std::optional<std::string> ClickThroughCommand(const std::string& url, const std::string& defaultPage) {
    const auto page = ClickThroughPage(url, defaultPage);
    if (!page) return std::nullopt;
    return "iexplore.exe " + EncodeForCommandLine(*page);
}
