#include "tools/sivarta-render/render_cli.h"

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>

#include "data/file_readers.h"

const char kRenderUsage[] =
    R"(usage: sivarta-render --root DIR --code CODE [--size WxH] [--prop NAME=VALUE ...] [--hover X,Y] --out FILE.png
       sivarta-render --info FILE --data FILE --code CODE [...] --out FILE.png
       sivarta-render --root DIR --all --out-dir DIR [--size WxH] [--prop NAME=VALUE ...] [--jobs N]

  Draws a day's chart as the control shows it and writes it as PNG (RGB).
  --root DIR        reads DIR/sisefile/info/CODE.dat and DIR/sisefile/Date/CODE.dat
  --info, --data    the two files named directly
  --all             every code under DIR/sisefile/info/, one CODE.png each in --out-dir
  --jobs N          --all's worker threads, 1 to 64 (default: one per core)
  --size WxH        client size, each side 1 to 4096 (default 228x190)
  --prop NAME=VALUE any display property (colours, switches, gaps, strType)
  --hover X,Y       adds the crosshair and the tooltip for the mouse at that client point
  --text-rects FILE lists the text rectangles of the chart, "LEFT TOP RIGHT BOTTOM" a line

Exit status: 0 done, 1 a file missing, unreadable or refused, or not written, 2 bad usage.
)";

int32_t DefaultJobs() {
    cpu_set_t cpus;
    const int count = sched_getaffinity(0, sizeof cpus, &cpus) == 0 ? CPU_COUNT(&cpus) : 1;
    return std::clamp<int32_t>(count, 1, kMaxJobs);
}

namespace {

std::optional<int32_t> ParseInt(std::string_view text) {
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// "AxB" split at the first `separator`, both parts whole numbers.
std::optional<std::pair<int32_t, int32_t>> ParsePair(std::string_view text, char separator) {
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) return std::nullopt;
    const auto a = ParseInt(text.substr(0, at));
    const auto b = ParseInt(text.substr(at + 1));
    if (!a || !b) return std::nullopt;
    return std::pair{*a, *b};
}

std::optional<std::string> TakeSize(RenderCli& cli, const std::string& v) {
    const auto size = ParsePair(v, 'x');
    if (!size || size->first < 1 || size->second < 1 || size->first > kMaxRenderSide || size->second > kMaxRenderSide)
        return "--size " + v + ": WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxRenderSide);
    cli.request.width = size->first;
    cli.request.height = size->second;
    return std::nullopt;
}

std::optional<std::string> TakeJobs(RenderCli& cli, const std::string& v) {
    const auto jobs = ParseInt(v);
    if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
        return "--jobs " + v + ": a whole number, 1 to " + std::to_string(kMaxJobs);
    cli.jobs = *jobs;
    cli.jobsGiven = true;
    return std::nullopt;
}

std::optional<std::string> TakeProp(RenderCli& cli, const std::string& v) {
    const size_t eq = v.find('=');
    if (eq == std::string::npos || eq == 0) return "--prop " + v + ": NAME=VALUE";
    const std::string name = v.substr(0, eq);
    const PropertyInfo* property = FindProperty(name);
    if (!property || property->use != PropUse::Display) return "--prop " + name + ": not a display property";
    if (auto fault = SetPropertyText(cli.request.settings, *property, v.substr(eq + 1)))
        return "--prop " + name + ": " + *fault;
    return std::nullopt;
}

std::optional<std::string> TakeHover(RenderCli& cli, const std::string& v) {
    const auto point = ParsePair(v, ',');
    if (!point) return "--hover " + v + ": X,Y in client pixels";
    cli.request.hover = Point{point->first, point->second};
    return std::nullopt;
}

std::function<std::optional<std::string>(RenderCli&, const std::string&)> Store(std::string RenderCli::*field) {
    return [field](RenderCli& cli, const std::string& v) -> std::optional<std::string> {
        cli.*field = v;
        return std::nullopt;
    };
}

struct Valued {
    const char* name;
    std::function<std::optional<std::string>(RenderCli&, const std::string&)> take;
};

const Valued kValued[] = {
    {"--root", Store(&RenderCli::root)},
    {"--info", Store(&RenderCli::infoPath)},
    {"--data", Store(&RenderCli::dataPath)},
    {"--out", Store(&RenderCli::outPath)},
    {"--out-dir", Store(&RenderCli::outDir)},
    {"--text-rects", Store(&RenderCli::textRectsPath)},
    {"--code",
     [](RenderCli& cli, const std::string& v) -> std::optional<std::string> {
         cli.request.code = v;
         return std::nullopt;
     }},
    {"--size", TakeSize},
    {"--jobs", TakeJobs},
    {"--prop", TakeProp},
    {"--hover", TakeHover},
};

// The three uses, told apart by which options are there.
std::optional<std::string> CheckCombination(const RenderCli& cli) {
    const bool files = !cli.infoPath.empty() || !cli.dataPath.empty();
    if (cli.all) {
        if (cli.root.empty() || cli.outDir.empty()) return std::string("--all needs --root DIR and --out-dir DIR");
        if (files || !cli.outPath.empty() || !cli.request.code.empty() || cli.request.hover ||
            !cli.textRectsPath.empty())
            return std::string("--all takes only --root, --out-dir, --size, --prop and --jobs");
        return std::nullopt;
    }
    if (!cli.outDir.empty()) return std::string("--out-dir goes with --all");
    if (cli.jobsGiven) return std::string("--jobs goes with --all");
    if (cli.request.code.empty()) return std::string("needs --code CODE");
    if (cli.outPath.empty()) return std::string("needs --out FILE.png");
    if (files && !cli.root.empty()) return std::string("either --root or --info and --data, not both");
    if (files && (cli.infoPath.empty() || cli.dataPath.empty())) return std::string("--info and --data go together");
    if (!files && cli.root.empty()) return std::string("needs --root DIR or --info FILE --data FILE");
    if (!IsValidStockCode(cli.request.code))
        return "--code " + cli.request.code + ": use 1 to 32 ASCII letters and digits";
    return std::nullopt;
}

}   // namespace

std::optional<std::string> ParseRenderCli(const std::vector<std::string>& args, RenderCli& cli) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--all") {
            cli.all = true;
            continue;
        }
        const Valued* option = nullptr;
        for (const Valued& candidate : kValued)
            if (args[i] == candidate.name) option = &candidate;
        if (!option) return "unknown option " + args[i];
        if (i + 1 == args.size() || args[i + 1].empty()) return args[i] + " needs a value";
        if (auto fault = option->take(cli, args[++i])) return fault;
    }
    return CheckCombination(cli);
}
