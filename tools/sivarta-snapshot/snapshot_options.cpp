#include "snapshot_options.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "hover_capture.h"

namespace {

constexpr int kMaxSide = 16384;

bool ParseSize(const std::string& text, int& width, int& height) {
    char* end = nullptr;
    const long w = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0') return false;
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

struct Option {
    const char* name;
    // Takes the option's value; false when it is not acceptable.
    std::function<bool(SnapshotOptions&, const std::string&)> take;
};

const Option kOptions[] = {
    {"--info",
     [](SnapshotOptions& o, const std::string& v) {
         o.infoPath = v;
         return !v.empty();
     }},
    {"--data",
     [](SnapshotOptions& o, const std::string& v) {
         o.dataPath = v;
         return !v.empty();
     }},
    {"--code",
     [](SnapshotOptions& o, const std::string& v) {
         o.code = v;
         return !v.empty();
     }},
    {"--host",
     [](SnapshotOptions& o, const std::string& v) {
         o.host = v;
         return !v.empty();
     }},
    {"--hover",
     [](SnapshotOptions& o, const std::string& v) {
         POINT point{};
         if (!ParseHoverPoint(v.c_str(), point)) return false;
         o.hover = true;
         o.hoverX = point.x;
         o.hoverY = point.y;
         return true;
     }},
    {"--out",
     [](SnapshotOptions& o, const std::string& v) {
         o.outPath = v;
         return !v.empty();
     }},
    {"--size", [](SnapshotOptions& o, const std::string& v) { return ParseSize(v, o.width, o.height); }},
    {"--prop",
     [](SnapshotOptions& o, const std::string& v) {
         const size_t eq = v.find('=');
         if (eq == std::string::npos || eq == 0) return false;
         o.props.emplace_back(v.substr(0, eq), v.substr(eq + 1));
         return true;
     }},
};

}   // namespace

const char* SnapshotUsage() {
    return "usage: sivarta-snapshot --info FILE --data FILE [--code CODE] --size WIDTHxHEIGHT\n"
           "                        --out FILE.png [--prop NAME=VALUE ...]\n"
           "       sivarta-snapshot --host HOST[:PORT] [--code CODE] --size WIDTHxHEIGHT\n"
           "                        --out FILE.png [--prop NAME=VALUE ...]\n"
           "  --hover X,Y  show the chart on the screen with the cursor at client (X, Y) and\n"
           "               save the screen around it once the tooltip is up\n";
}

bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const Option* option = nullptr;
        for (const Option& candidate : kOptions)
            if (std::strcmp(argv[i], candidate.name) == 0) option = &candidate;
        if (!option) {
            error = std::string("unknown option: ") + argv[i];
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(option->name) + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (!option->take(options, value)) {
            error = std::string("bad value for ") + option->name + ": " + value;
            return false;
        }
    }
    const bool fromFiles = !options.infoPath.empty() && !options.dataPath.empty();
    if (options.host.empty() == !fromFiles || options.outPath.empty() || options.width == 0) {
        error = "--size, --out and either --info with --data or --host are required";
        return false;
    }
    return true;
}
