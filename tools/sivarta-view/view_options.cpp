#include "view_options.h"

#include <charconv>
#include <string_view>
#include <tuple>

namespace {

// Largest window side accepted; far beyond any screen, small enough for GDI.
constexpr int kMaxSide = 16384;

// A whole decimal number in [low, high], nothing else in the text.
bool ParseInt(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

// "AxB" or "A,B" with the given separator.
bool ParsePair(std::string_view text, char separator, int low, int high, int& a, int& b) {
    auto at = text.find(separator);
    if (at == std::string_view::npos) return false;
    return ParseInt(text.substr(0, at), low, high, a) && ParseInt(text.substr(at + 1), low, high, b);
}

const std::string* FindParam(const ViewOptions& options, std::string_view name) {
    const std::string* found = nullptr;
    for (const auto& [key, value] : options.params)
        if (key == name) found = &value;   // the last tag wins, as in a bag built from the page
    return found;
}

}   // namespace

const char* ViewUsage() {
    return "usage: sivarta-view [--param NAME=VALUE]... [--size WIDTHxHEIGHT]\n"
           "                    [--progid PROGID | --clsid {CLSID}] [--print-info]\n"
           "                    [--snapshot FILE.png] [--hover X,Y]\n";
}

std::optional<ViewOptions> ParseViewOptions(const std::vector<std::string>& args, std::string& error) {
    ViewOptions options;
    std::optional<std::pair<int, int>> size;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--print-info") {
            options.printInfo = true;
        } else if (arg == "--param") {
            if (!value(text)) return std::nullopt;
            auto eq = text.find('=');
            if (eq == std::string::npos || eq == 0) {
                error = "--param needs NAME=VALUE, got '" + text + "'";
                return std::nullopt;
            }
            options.params.emplace_back(text.substr(0, eq), text.substr(eq + 1));
        } else if (arg == "--size") {
            int w = 0, h = 0;
            if (!value(text)) return std::nullopt;
            if (!ParsePair(text, 'x', 1, kMaxSide, w, h)) {
                error = "--size needs WIDTHxHEIGHT (1.." + std::to_string(kMaxSide) + "), got '" + text + "'";
                return std::nullopt;
            }
            size = {w, h};
        } else if (arg == "--clsid" || arg == "--progid") {
            if (!value(options.classId)) return std::nullopt;
            if (options.classId.empty()) {
                error = arg + " needs a non-empty value";
                return std::nullopt;
            }
        } else if (arg == "--snapshot") {
            if (!value(options.snapshotPath)) return std::nullopt;
            if (options.snapshotPath.empty()) {
                error = "--snapshot needs a file name";
                return std::nullopt;
            }
        } else if (arg == "--hover") {
            int x = 0, y = 0;
            if (!value(text)) return std::nullopt;
            if (!ParsePair(text, ',', 0, kMaxSide, x, y)) {
                error = "--hover needs X,Y in client pixels, got '" + text + "'";
                return std::nullopt;
            }
            options.hover = std::pair{x, y};
        } else {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        }
    }

    // The object's size follows the page's size params unless --size says otherwise;
    // a param the control could not read as a size leaves the default.
    if (const std::string* w = FindParam(options, "nsizeMainX")) ParseInt(*w, 1, kMaxSide, options.width);
    if (const std::string* h = FindParam(options, "nsizeMainY")) ParseInt(*h, 1, kMaxSide, options.height);
    if (size) std::tie(options.width, options.height) = *size;
    return options;
}
