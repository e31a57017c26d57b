// sivarta-snapshot end to end: a day written as files, drawn, written as PNG.
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "data/stock_records.h"
#include "win/support/chart_fixture.h"
#include "win/support/scratch_dir.h"

namespace {

std::string ToolPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "sivarta-snapshot.exe";
}

// Runs the tool with `args` and returns its exit code (-1 when it did not start).
int RunTool(const std::string& args) {
    std::string command = "\"" + ToolPath() + "\" " + args;
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

void WriteBytes(const std::string& path, const void* bytes, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes, 1, size, f);
    std::fclose(f);
}

// A one-minute day of 391 records for 005930 on 15 March 2024.
void WriteDay(const ScratchDir& dir) {
    StockInfo info{};
    info.date = 20240315;
    info.time = 153000;
    std::memcpy(info.code, "005930", 6);
    info.open = 70000, info.high = 71000, info.low = 69000, info.current = 70500;
    info.volume = 1234567;
    WriteBytes(dir.File("info.dat"), &info, sizeof info);
    std::vector<TickRecord> ticks;
    for (int i = 0; i < 391; ++i) {
        const int32_t p = 70000 + (i % 40) * 10;
        ticks.push_back({20240315, (9 + i / 60) * 10000 + (i % 60) * 100, p, p + 30, p - 30, p + 10, 1000 + i});
    }
    WriteBytes(dir.File("data.dat"), ticks.data(), ticks.size() * sizeof(TickRecord));
}

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

}   // namespace

TEST(ChartSnapshot, WritesAPngOfTheRequestedSize) {
    ComScope com;
    ScratchDir dir;
    WriteDay(dir);
    for (const char* size : {"228x190", "800x500"}) {
        const std::string out = dir.File(std::string("day-") + size + ".png");
        const std::string args = "--info \"" + dir.File("info.dat") + "\" --data \"" + dir.File("data.dat") +
                                 "\" --code 005930 --size " + size + " --out \"" + out +
                                 "\" --prop strType=ENG --prop CRTIME=0x5D5D5D";
        ASSERT_EQ(RunTool(args), 0) << size;
        UINT w = 0, h = 0;
        ASSERT_TRUE(ReadPngSize(out, w, h)) << size;
        EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h), size);
    }
}

TEST(ChartSnapshot, BadArgumentsAndMissingFilesFailWithoutOutput) {
    ScratchDir dir;
    WriteDay(dir);
    const std::string files = "--info \"" + dir.File("info.dat") + "\" --data \"" + dir.File("data.dat") + "\"";
    const std::string out = dir.File("x.png");
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool(files + " --size 0x10 --out \"" + out + "\""), 2);
    EXPECT_EQ(RunTool(files + " --size 228 --out \"" + out + "\""), 2);
    EXPECT_EQ(RunTool(files + " --size 228x190 --out \"" + out + "\" --bogus 1"), 2);
    EXPECT_EQ(RunTool(files + " --size 228x190 --out \"" + out + "\" --prop"), 2);
    EXPECT_EQ(RunTool(files + " --size 228x190 --out \"" + out + "\" --prop crNothing=1"), 1);
    EXPECT_EQ(RunTool(files + " --size 228x190 --out \"" + out + "\" --prop crTime=12zz"), 1);
    // The size, the code and the host are options of their own, not --prop.
    for (const char* prop : {"nsizeMainX=10", "strCode=000660", "strChartUrl=x", "strURL=http://a/"})
        EXPECT_EQ(RunTool(files + " --size 228x190 --out \"" + out + "\" --prop " + prop), 1) << prop;
    EXPECT_EQ(RunTool("--info \"" + dir.File("missing.dat") + "\" --data \"" + dir.File("data.dat") +
                      "\" --size 228x190 --out \"" + out + "\""),
              1);
    EXPECT_FALSE(FileExists(out));
}
