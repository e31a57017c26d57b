// sivarta-render: a day's chart drawn natively (the same scene the control
// replays with GDI) and written as PNG; see kRenderUsage.
#include <iostream>

#include "render/day_read.h"
#include "tools/sivarta-render/render_all.h"
#include "tools/sivarta-render/render_cli.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RenderSingle(const RenderCli& cli, FreeTypeText& text) {
    DayBytes day;
    std::optional<std::string> fault;
    if (!cli.root.empty()) {
        fault = ReadDay(cli.root, cli.request.code, day);
    } else if (auto f = ReadFileBounded(cli.infoPath, kInfoReadLimit, day.info)) {
        fault = "info file " + cli.infoPath + ": " + *f;
    } else if (auto f2 = ReadFileBounded(cli.dataPath, DataReadLimit(), day.data)) {
        fault = "data file " + cli.dataPath + ": " + *f2;
    }
    int32_t bars = 0;
    if (!fault) fault = RenderOne(cli.request, day, cli.outPath, cli.textRectsPath, text, bars);
    if (fault) {
        std::cerr << "sivarta-render: " << cli.request.code << ": " << *fault << "\n";
        return kExitFailed;
    }
    std::cout << cli.outPath << ": " << cli.request.width << "x" << cli.request.height << ", " << bars << " bars\n";
    return kExitOk;
}

}   // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kRenderUsage;
        return kExitOk;
    }
    RenderCli cli;
    if (auto fault = ParseRenderCli(args, cli)) {
        std::cerr << "sivarta-render: " << *fault << "\n\n" << kRenderUsage;
        return kExitUsage;
    }
    try {
        if (cli.all) return RenderAll(cli, std::cout, std::cerr);
        FreeTypeText text;
        return RenderSingle(cli, text);
    } catch (const std::exception& e) {
        std::cerr << "sivarta-render: " << e.what() << "\n";
        return kExitFailed;
    }
}
