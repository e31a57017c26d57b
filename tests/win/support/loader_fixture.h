// Runs whole loads: a loopback server, a scratch folder as %TEMP%, a hidden
// top-level window as the loader's parent, and a watcher for message boxes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "activex/chart/data_loader_wnd.h"
#include "activex/support/message_box_watcher.h"
#include "win/support/day_files.h"
#include "win/support/scratch_dir.h"
#include "win/support/test_http_server.h"

class LoaderTest : public ::testing::Test {
protected:
    static constexpr int32_t kDate = 20021115;
    static constexpr int kWidth = 600, kHeight = 300;

    LoaderTest();
    ~LoaderTest() override;

    // TEMP points into a fresh folder from here on; loaders built later use it.
    void UseTempDir(const std::string& path);
    // Constructs a loader with TEMP as it is now and creates its window.
    BOOL Load(const std::string& code);
    // Serves an info and a data file for `code` under the paths of the load.
    void ServeDay(const std::string& code, const StockInfo& info, const std::vector<TickRecord>& ticks);

    static std::string InfoPath(const std::string& code) { return "/sisefile/info/" + code + ".dat"; }
    static std::string DataPath(const std::string& code) { return "/sisefile/Date/" + code + ".dat"; }
    // Message boxes seen so far, all with the load-failure text and caption.
    size_t FailureBoxes() const;
    size_t BoxCount() const { return watcher->Boxes().size(); }

    TestHttpServer server;
    ScratchDir scratch;
    std::string tempDir;
    std::unique_ptr<DataLoaderWnd> loader;
    std::unique_ptr<MessageBoxWatcher> watcher;
    HWND parent = nullptr;

private:
    std::string savedTemp;
    bool hadTemp = false;
};
