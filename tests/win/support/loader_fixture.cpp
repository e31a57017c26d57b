#include "win/support/loader_fixture.h"

#include "activex/framework/app_name.h"

LoaderTest::LoaderTest() {
    char saved[32768];
    DWORD n = GetEnvironmentVariableA("TEMP", saved, sizeof saved);
    hadTemp = n > 0 && n < sizeof saved;
    if (hadTemp) savedTemp.assign(saved, n);
    tempDir = scratch.File("temp");
    CreateDirectoryA(tempDir.c_str(), nullptr);
    UseTempDir(tempDir);
    parent = CreateWindowExA(0, "STATIC", "loader test", WS_OVERLAPPEDWINDOW, 0, 0, kWidth + 50, kHeight + 50, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    watcher = std::make_unique<MessageBoxWatcher>();
}

LoaderTest::~LoaderTest() {
    loader.reset();
    watcher.reset();
    DestroyWindow(parent);
    SetEnvironmentVariableA("TEMP", hadTemp ? savedTemp.c_str() : nullptr);
}

void LoaderTest::UseTempDir(const std::string& path) {
    tempDir = path;
    SetEnvironmentVariableA("TEMP", path.c_str());
}

BOOL LoaderTest::Load(const std::string& code) {
    loader = std::make_unique<DataLoaderWnd>();
    loader->strCode = code;
    loader->strChartUrl = server.Host();
    loader->limits.receiveTimeoutMs = 1500;
    loader->limits.sendTimeoutMs = 1500;
    return loader->Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, parent, 0);
}

void LoaderTest::ServeDay(const std::string& code, const StockInfo& info, const std::vector<TickRecord>& ticks) {
    server.Serve(InfoPath(code), InfoFile(info));
    server.Serve(DataPath(code), DataFile(ticks));
}

size_t LoaderTest::FailureBoxes() const {
    size_t count = 0;
    for (const MessageBoxWatcher::Box& box : watcher->Boxes()) {
        EXPECT_EQ(box.text, "fail Loading Datafile!");
        EXPECT_EQ(box.caption, AppName());
        EXPECT_TRUE(box.topmost);
        ++count;
    }
    return count;
}
