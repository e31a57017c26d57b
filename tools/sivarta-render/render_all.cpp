#include "tools/sivarta-render/render_all.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "data/day_source.h"
#include "render/png_codec.h"

namespace fs = std::filesystem;

namespace {

bool WriteTextRects(const std::string& path, const RenderedChart& chart, std::string& error) {
    std::ofstream out(path, std::ios::trunc);
    for (const Rect& r : chart.textRects) out << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << '\n';
    out.close();
    if (!out) error = "cannot write " + path;
    return static_cast<bool>(out);
}

// The codes whose info file lies where the core places it under root, in
// name order; nothing (and `error` set) when the folder cannot be listed.
std::vector<std::string> ListCodes(const fs::path& root, std::string& error) {
    const fs::path infoDir = InfoPath(root, "").parent_path();
    std::error_code ec;
    std::vector<std::string> codes;
    for (const auto& entry : fs::directory_iterator(infoDir, ec)) {
        const std::string code = entry.path().stem().string();
        if (entry.path() == InfoPath(root, code)) codes.push_back(code);
    }
    if (ec) error = "cannot list " + infoDir.string() + ": " + ec.message();
    std::sort(codes.begin(), codes.end());
    return codes;
}

// One code of --all: its report line, and whether it was drawn.
struct CodeResult {
    std::string line;
    bool drawn = false;
};

CodeResult RenderCode(const RenderCli& cli, const std::string& code, FreeTypeText& text) {
    RenderRequest request = cli.request;
    request.code = code;
    DayBytes day;
    const fs::path out = fs::path(cli.outDir) / (code + ".png");
    int32_t bars = 0;
    std::optional<std::string> fault = CheckRequest(request);
    if (!fault) fault = ReadDay(cli.root, code, day);
    if (!fault) fault = RenderOne(request, day, out, {}, text, bars);
    if (fault) return {code + ": not rendered: " + *fault, false};
    return {code + ": " + out.string() + ", " + std::to_string(bars) + " bars", true};
}

}   // namespace

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

int RenderAll(const RenderCli& cli, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::vector<std::string> codes = ListCodes(cli.root, error);
    if (!error.empty()) {
        err << "sivarta-render: " << error << "\n";
        return 1;
    }
    std::error_code ec;
    fs::create_directories(cli.outDir, ec);
    if (ec || !fs::is_directory(cli.outDir)) {
        err << "sivarta-render: cannot make the folder " << cli.outDir << "\n";
        return 1;
    }
    // Each thread takes the next code; the painters are made here, so a face
    // that cannot be loaded fails the run before any thread starts.
    const size_t workers = std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(cli.jobs), codes.size()));
    std::vector<std::unique_ptr<FreeTypeText>> painters;
    for (size_t i = 0; i < workers; ++i) painters.push_back(std::make_unique<FreeTypeText>());
    std::vector<CodeResult> results(codes.size());
    std::atomic<size_t> next{0};
    auto work = [&](FreeTypeText& text) {
        for (size_t i; (i = next++) < codes.size();) {
            // Only allocation throws here: that code fails, the rest go on.
            try {
                results[i] = RenderCode(cli, codes[i], text);
            } catch (const std::exception& e) {
                results[i] = {codes[i] + ": not rendered: " + e.what(), false};
            }
        }
    };
    std::vector<std::thread> threads;
    for (size_t i = 1; i < workers; ++i) threads.emplace_back(work, std::ref(*painters[i]));
    work(*painters[0]);
    for (std::thread& t : threads) t.join();

    size_t drawn = 0;
    for (const CodeResult& result : results) {
        out << result.line << "\n";
        drawn += result.drawn;
    }
    out << drawn << " of " << codes.size() << " codes rendered\n";
    return drawn == codes.size() && !codes.empty() ? 0 : 1;
}
