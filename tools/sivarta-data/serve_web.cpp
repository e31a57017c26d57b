#include "tools/sivarta-data/serve_web.h"

#include <iostream>
#include <regex>

namespace fs = std::filesystem;

std::optional<WebServing> ReadWebServing(const Options& options) {
    WebServing web;
    if (const auto origin = options.Get("--cors")) {
        // Becomes a header value: nothing but an origin or "*" gets through.
        static const std::regex kOrigin(R"(\*|https?://[A-Za-z0-9.\-]+(:[0-9]{1,5})?|https?://\[[0-9A-Fa-f:.]+\](:[0-9]{1,5})?)");
        if (!std::regex_match(*origin, kOrigin)) {
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
    if (ext == ".js" || ext == ".mjs") return "text/javascript; charset=utf-8";
    if (ext == ".wasm") return "application/wasm";
    if (ext == ".html") return "text/html; charset=utf-8";
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".png") return "image/png";
    return "application/octet-stream";
}
