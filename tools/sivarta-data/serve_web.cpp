#include "tools/sivarta-data/serve_web.h"

#include <cctype>
#include <iostream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// "*" or scheme://host[:port] with scheme http or https and a host of letters,
// digits, dots and dashes or a bracketed IPv6 address: it becomes a header
// value, so nothing else gets through.
bool IsOrigin(std::string_view text) {
    if (text == "*") return true;
    for (std::string_view scheme : {"http://", "https://"}) {
        if (!text.starts_with(scheme)) continue;
        std::string_view rest = text.substr(scheme.size());
        size_t hostEnd = 0;
        if (rest.starts_with('[')) {
            hostEnd = rest.find(']');
            if (hostEnd == std::string_view::npos || hostEnd < 2) return false;
            for (char c : rest.substr(1, hostEnd - 1))
                if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
            ++hostEnd;
        } else {
            while (hostEnd < rest.size() && (std::isalnum(static_cast<unsigned char>(rest[hostEnd])) ||
                                             rest[hostEnd] == '.' || rest[hostEnd] == '-'))
                ++hostEnd;
            if (hostEnd == 0) return false;
        }
        const std::string_view port = rest.substr(hostEnd);
        if (port.empty()) return true;
        if (port.front() != ':' || port.size() < 2 || port.size() > 6) return false;
        for (char c : port.substr(1))
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        return true;
    }
    return false;
}

}   // namespace

std::optional<WebServing> ReadWebServing(const Options& options) {
    WebServing web;
    if (const auto origin = options.Get("--cors")) {
        if (!IsOrigin(*origin)) {
            std::cerr << "sivarta-data serve: --cors takes * or an origin like https://www.example.com\n";
            return std::nullopt;
        }
        web.corsOrigin = *origin;
    }
    if (const auto dir = options.Get("--web")) {
        std::error_code ec;
        const fs::path root = fs::canonical(*dir, ec);
        if (ec || !fs::is_directory(root)) {
            std::cerr << "sivarta-data serve: --web " << *dir << " is not a folder\n";
            return std::nullopt;
        }
        web.webRoot = root;
    }
    return web;
}

std::pair<const fs::path*, std::string> ServedFrom(const WebServing& web, const fs::path& dataRoot,
                                                   const std::string& urlPath) {
    if (!web.webRoot || urlPath.starts_with("/sisefile/")) return {&dataRoot, urlPath};
    return {&*web.webRoot, urlPath == "/" ? std::string("/index.html") : urlPath};
}

const char* ContentTypeFor(const fs::path& file) {
    const std::string ext = file.extension().string();
    if (ext == ".js" || ext == ".mjs") return "application/javascript; charset=utf-8";
    if (ext == ".wasm") return "application/wasm";
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".png") return "image/png";
    return "application/octet-stream";
}
