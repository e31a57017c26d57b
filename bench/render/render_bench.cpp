// Charts per second on one thread, each one the whole path: both files read
// from disk, the chart model's load and scene, the rasteriser with FreeType
// text, PNG encoding. Prints numbers; never fails on time.
//   render_bench [SECONDS_PER_CASE]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "render/chart_render.h"
#include "render/day_read.h"
#include "render/png_codec.h"
#include "data/sample_day.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteDay(const fs::path& root, const std::string& code, bool seconds) {
    SampleRequest request;
    request.code = code;
    request.date = 20240105;
    request.seconds = seconds;
    const DayFiles day = MakeSampleDay(request);
    WriteBytes(InfoPath(root, code), InfoBytes(day.info));
    WriteBytes(DataPath(root, code), TickBytes(day.ticks));
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// This thread's CPU seconds: on a shared machine the wall clock also counts
// the time other processes had the core.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void Run(const fs::path& root, const std::string& code, int32_t w, int32_t h, double seconds, FreeTypeText& text) {
    RenderRequest request;
    request.code = code;
    request.width = w;
    request.height = h;
    Clock::duration read{}, render{}, encode{};
    size_t count = 0, bytes = 0;
    int32_t bars = 0;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    while (Ms(Clock::now() - start) < seconds * 1000) {
        const auto t0 = Clock::now();
        DayBytes day;
        if (auto fault = ReadDay(root, code, day)) {
            std::fprintf(stderr, "render_bench: %s\n", fault->c_str());
            std::exit(1);
        }
        const auto t1 = Clock::now();
        const RenderOutcome outcome = RenderChart(request, day.info, day.data, text);
        const auto t2 = Clock::now();
        if (!outcome.chart) {
            std::fprintf(stderr, "render_bench: %s\n", outcome.refusal.c_str());
            std::exit(1);
        }
        const auto png = EncodePng(outcome.chart->pixels);
        const auto t3 = Clock::now();
        read += t1 - t0;
        render += t2 - t1;
        encode += t3 - t2;
        bytes = png ? png->size() : 0;
        bars = outcome.chart->bars;
        ++count;
    }
    const double total = Ms(Clock::now() - start);
    const double cpu = CpuSeconds() - cpuStart;
    std::printf(
        "%5d bars at %4dx%-4d: %6.0f charts/s wall, %6.0f charts per CPU second  (per chart, wall: read %.3f ms, "
        "model+scene+raster %.3f ms, PNG %.3f ms; PNG %zu bytes; %zu charts)\n",
        bars, w, h, count / (total / 1000), count / cpu, Ms(read) / count, Ms(render) / count, Ms(encode) / count,
        bytes, count);
}

}   // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const fs::path root = fs::temp_directory_path() / ("render_bench." + std::to_string(getpid()));
    WriteDay(root, "005930", false);
    WriteDay(root, "000660", true);
    FreeTypeText text;
    Run(root, "005930", 228, 190, seconds, text);
    Run(root, "000660", 1920, 1080, seconds, text);
    fs::remove_all(root);
}
