// sivarta-render: a day's chart drawn natively (the same scene the control
// replays with GDI) and written as PNG; see kRenderUsage.
#include <algorithm>
#include <fstream>
#include <iostream>

#include "render/day_read.h"
#include "render/png_codec.h"
#include "tools/sivarta-render/render_cli.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

bool WriteTextRects(const std::string& path, const RenderedChart& chart, std::string& error) {
    std::ofstream out(path, std::ios::trunc);
    for (const Rect& r : chart.textRects) out << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << '\n';
    out.close();
    if (!out) error = "cannot write " + path;
    return static_cast<bool>(out);
}

// Renders and writes one chart; on failure returns why.
std::optional<std::string> RenderOne(const RenderRequest& request, const DayBytes& day, const fs::path& out,
                                     const std::string& textRectsPath, FreeTypeText& text, int32_t& bars) {
    const RenderOutcome outcome = RenderChart(request, day.info, day.data, text);
    if (!outcome.chart) return outcome.refusal;
    std::string error;
    // The text rectangles first: when they cannot be written, no picture is left.
    if (!textRectsPath.empty() && !WriteTextRects(textRectsPath, *outcome.chart, error)) return error;
    if (!WritePngFile(out, outcome.chart->pixels, error)) return error;
    bars = outcome.chart->bars;
    return std::nullopt;
}

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

// Every CODE.dat under DIR/sisefile/info/, in name order; a code that cannot
// be rendered is reported and the rest go on.
int RenderAll(const RenderCli& cli, FreeTypeText& text) {
    const fs::path infoDir = fs::path(cli.root) / "sisefile" / "info";
    std::error_code ec;
    std::vector<std::string> codes;
    for (const auto& entry : fs::directory_iterator(infoDir, ec))
        if (entry.path().extension() == ".dat") codes.push_back(entry.path().stem().string());
    if (ec) {
        std::cerr << "sivarta-render: cannot list " << infoDir.string() << ": " << ec.message() << "\n";
        return kExitFailed;
    }
    fs::create_directories(cli.outDir, ec);
    if (ec || !fs::is_directory(cli.outDir)) {
        std::cerr << "sivarta-render: cannot make the folder " << cli.outDir << "\n";
        return kExitFailed;
    }
    std::sort(codes.begin(), codes.end());
    int failed = 0;
    for (const std::string& code : codes) {
        RenderRequest request = cli.request;
        request.code = code;
        DayBytes day;
        const fs::path out = fs::path(cli.outDir) / (code + ".png");
        int32_t bars = 0;
        std::optional<std::string> fault = CheckRequest(request);
        if (!fault) fault = ReadDay(cli.root, code, day);
        if (!fault) fault = RenderOne(request, day, out, {}, text, bars);
        if (fault) {
            std::cout << code << ": not rendered: " << *fault << "\n";
            ++failed;
        } else {
            std::cout << code << ": " << out.string() << ", " << bars << " bars\n";
        }
    }
    std::cout << codes.size() - failed << " of " << codes.size() << " codes rendered\n";
    return failed == 0 && !codes.empty() ? kExitOk : kExitFailed;
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
        FreeTypeText text;
        return cli.all ? RenderAll(cli, text) : RenderSingle(cli, text);
    } catch (const std::exception& e) {
        std::cerr << "sivarta-render: " << e.what() << "\n";
        return kExitFailed;
    }
}
