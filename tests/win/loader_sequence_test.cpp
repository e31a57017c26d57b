// Whole loads that succeed: requests, info acceptance, bars, drawing, cleanup.
#include <cstring>
#include <thread>

#include "win/support/loader_fixture.h"

namespace {

// Pixels of a colour in the chart's off-screen surface.
int CountPixels(const ChartWnd& chart, COLORREF colour) {
    int count = 0;
    for (int y = chart.Model().rcClient.top; y < chart.Model().rcClient.bottom; ++y)
        for (int x = chart.Model().rcClient.left; x < chart.Model().rcClient.right; ++x)
            if (GetPixel(chart.dcMem, x, y) == colour) ++count;
    return count;
}

void ExpectBarsFromTicks(const ChartWnd& chart, const std::vector<TickRecord>& ticks) {
    for (size_t i = 0; i < ticks.size(); ++i) {
        const BarRecord* bar = chart.Model().series.At(static_cast<int64_t>(i));
        ASSERT_NE(bar, nullptr) << i;
        EXPECT_EQ(bar->time, ticks[i].time) << i;
        EXPECT_EQ(bar->open, ticks[i].open) << i;
        EXPECT_EQ(bar->high, ticks[i].high) << i;
        EXPECT_EQ(bar->low, ticks[i].low) << i;
        EXPECT_EQ(bar->close, ticks[i].close) << i;
        EXPECT_EQ(bar->volume, ticks[i].volume) << i;
    }
}

TEST_F(LoaderTest, TypicalLoadFetchesBothFilesInOrderFillsTheSeriesDrawsAndCleansUp) {
    StockInfo info = MakeInfo("005930", kDate);
    std::vector<TickRecord> ticks = MakeTicks(kDate, 120);
    ServeDay("005930", info, ticks);

    ASSERT_TRUE(Load("005930"));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{InfoPath("005930"), DataPath("005930")}));
    EXPECT_EQ(std::memcmp(&loader->Core().Info(), &info, sizeof info), 0);
    EXPECT_EQ(BoxCount(), 0u);

    ChartWnd& chart = loader->chart;
    ASSERT_TRUE(IsWindow(chart));
    EXPECT_EQ(GetParent(chart), loader->GetSafeHwnd());
    EXPECT_EQ(GetDlgCtrlID(chart), 5000);
    EXPECT_TRUE(GetWindowLongA(chart, GWL_STYLE) & WS_VISIBLE);   // the test parent is hidden
    char title[64] = {};
    GetWindowTextA(chart, title, sizeof title);
    EXPECT_STREQ(title, "chart made by nib");
    RECT rc{};
    GetClientRect(chart, &rc);
    EXPECT_EQ(rc.right, kWidth);
    EXPECT_EQ(rc.bottom, kHeight);

    // The file's bars, then the one built from the info record.
    ASSERT_EQ(chart.Model().series.Count(), 121);
    ExpectBarsFromTicks(chart, ticks);
    const BarRecord* last = chart.Model().series.Last();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->time, kDate);
    EXPECT_EQ(last->close, info.current);
    EXPECT_EQ(last->volume, info.volume);
    // Drawn: candles of both colours are in the surface.
    EXPECT_GT(CountPixels(chart, chart.Model().settings.crHighCandle), 0);
    EXPECT_GT(CountPixels(chart, chart.Model().settings.crLowCandle), 0);

    EXPECT_TRUE(DirEntries(tempDir).empty());
}

TEST_F(LoaderTest, EmptyCodeLoadsTheDefaultInstrument) {
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate, 10));
    ASSERT_TRUE(Load(""));
    EXPECT_EQ(loader->strCode, "005930");
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{InfoPath("005930"), DataPath("005930")}));
    EXPECT_EQ(loader->chart.Model().series.Count(), 11);
    EXPECT_TRUE(DirEntries(tempDir).empty());
}

TEST_F(LoaderTest, FiveCharacterCodeInTheInfoFileGainsItsLeadingZero) {
    StockInfo info = MakeInfo("05930", kDate);
    ServeDay("005930", info, MakeTicks(kDate, 10));
    ASSERT_TRUE(Load("005930"));
    EXPECT_EQ(std::string(loader->Core().Info().code, 6), "005930");
    EXPECT_EQ(loader->Core().Info().date, kDate);
    EXPECT_EQ(loader->chart.Model().series.Count(), 11);
}

TEST_F(LoaderTest, InfoOfAnotherCodeOrDateOutsideTheWindowGivesAnEmptyChartWithoutMessage) {
    // Info for another instrument: zero info, the data file is still fetched
    // but fails the date test against a zero date.
    ServeDay("005930", MakeInfo("000660", kDate), MakeTicks(kDate, 10));
    ASSERT_TRUE(Load("005930"));
    StockInfo zero{};
    EXPECT_EQ(std::memcmp(&loader->Core().Info(), &zero, sizeof zero), 0);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(loader->chart.Model().series.Count(), 0);

    // Data six days after the info's date.
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate + 6, 10));
    ASSERT_TRUE(Load("005930"));
    EXPECT_EQ(loader->Core().Info().date, kDate);
    EXPECT_EQ(loader->chart.Model().series.Count(), 0);

    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_TRUE(DirEntries(tempDir).empty());
}

TEST_F(LoaderTest, RecreatedWindowLoadsAgainKeepingTheInfoWhenTheNewOneIsUnusable) {
    StockInfo info = MakeInfo("005930", kDate);
    ServeDay("005930", info, MakeTicks(kDate, 30));
    ASSERT_TRUE(Load("005930"));
    ASSERT_TRUE(loader->DestroyWindow());
    EXPECT_FALSE(IsWindow(loader->chart));

    // A 127-byte info file leaves the earlier record in place.
    server.Serve(InfoPath("005930"), InfoFile(info).substr(0, 127));
    server.Serve(DataPath("005930"), DataFile(MakeTicks(kDate, 20)));
    ASSERT_TRUE(loader->Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, parent, 0));
    EXPECT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(std::memcmp(&loader->Core().Info(), &info, sizeof info), 0);
    EXPECT_EQ(loader->chart.Model().series.Count(), 21);
}

TEST_F(LoaderTest, TemporaryFolderPastMaxPathStillLoads) {
    ScratchDir deep(300);
    ASSERT_GT(deep.Path().size(), 260u);
    UseTempDir(deep.Path());
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate, 391));
    ASSERT_TRUE(Load("005930"));
    EXPECT_EQ(loader->strTempDir, deep.Path());
    EXPECT_EQ(loader->chart.Model().series.Count(), 392);
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_TRUE(DirEntries(deep.Path()).empty());
}

// Loads `rounds` times from `host` on this thread, each in a fresh loader
// window; returns how many rounds showed something other than exactly the
// day `date` with `bars` bars, or a message box.
int LoadRepeatedly(const std::string& host, int32_t date, int bars, int rounds) {
    MessageBoxWatcher watcher;
    HWND parent = CreateWindowExA(0, "STATIC", "parallel", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    int wrong = 0;
    for (int i = 0; i < rounds; ++i) {
        DataLoaderWnd loader;
        loader.strCode = "005930";
        loader.strChartUrl = host;
        bool created = loader.Create(nullptr, "", WS_CHILD, RECT{0, 0, 280, 180}, parent, 0);
        if (!created || loader.Core().Info().date != date || loader.chart.Model().series.Count() != bars) ++wrong;
    }
    DestroyWindow(parent);
    return wrong + static_cast<int>(watcher.Boxes().size());
}

TEST_F(LoaderTest, TwoChartsOfOneCodeLoadingAtOnceEachShowTheirOwnDay) {
    // Two servers, two days of the same code, loaded side by side on two
    // threads: each download has its own file, so neither sees the other's.
    constexpr int32_t kOtherDate = 20021118;
    TestHttpServer other;
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate, 391));
    other.Serve(InfoPath("005930"), InfoFile(MakeInfo("005930", kOtherDate)));
    other.Serve(DataPath("005930"), DataFile(MakeTicks(kOtherDate, 120)));
    constexpr int kRounds = 50;
    int wrongA = -1, wrongB = -1;
    std::thread a([&] { wrongA = LoadRepeatedly(server.Host(), kDate, 392, kRounds); });
    std::thread b([&] { wrongB = LoadRepeatedly(other.Host(), kOtherDate, 121, kRounds); });
    a.join();
    b.join();
    EXPECT_EQ(wrongA, 0);
    EXPECT_EQ(wrongB, 0);
    EXPECT_EQ(server.Requests().size(), 2u * kRounds);
    EXPECT_EQ(other.Requests().size(), 2u * kRounds);
    EXPECT_TRUE(DirEntries(tempDir).empty());
}

}   // namespace
