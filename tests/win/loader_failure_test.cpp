// Loads that fail: one message per failed file, creation refused, nothing
// stale read, no file left behind, unsafe codes never used.
#include <atomic>
#include <cstring>
#include <set>
#include <thread>

#include "win/support/loader_fixture.h"

namespace {

using Fault = TestHttpServer::Fault;

// Collects the names that appear in a folder while a load runs.
class FolderPoller {
public:
    explicit FolderPoller(std::string dir)
        : thread([this, dir] {
              while (!stop) {
                  for (const std::string& name : DirEntries(dir)) {
                      std::lock_guard<std::mutex> lock(mutex);
                      seen.insert(name);
                  }
                  Sleep(5);
              }
          }) {}
    ~FolderPoller() { Stop(); }
    std::set<std::string> Stop() {
        stop = true;
        if (thread.joinable()) thread.join();
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }

private:
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::set<std::string> seen;
    std::thread thread;
};

TEST_F(LoaderTest, UnreachableServerShowsOneMessageAndRefusesCreation) {
    loader = std::make_unique<DataLoaderWnd>();
    loader->strCode = "005930";
    loader->strChartUrl = "127.0.0.1:" + std::to_string(TestHttpServer::ClosedPort());
    EXPECT_FALSE(loader->Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, parent, 0));
    EXPECT_EQ(FailureBoxes(), 1u);
    EXPECT_EQ(loader->GetSafeHwnd(), nullptr);
    EXPECT_FALSE(IsWindow(loader->chart));
    EXPECT_TRUE(DirEntries(tempDir).empty());
}

TEST_F(LoaderTest, EveryFaultOfTheInfoDownloadStopsBeforeTheDataFile) {
    const std::string info = InfoPath("005930");
    server.Serve(DataPath("005930"), DataFile(MakeTicks(kDate, 10)));
    struct Case {
        Fault fault;
        uint64_t n;
    };
    for (Case c : {Case{Fault::NotFound, 0}, Case{Fault::ServerError, 0}, Case{Fault::DropAfter, 60},
                   Case{Fault::Stall, 0}, Case{Fault::Oversize, kMaxDataFileBytes + 1}}) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        size_t before = BoxCount();
        server.Serve(info, InfoFile(MakeInfo("005930", kDate)));
        server.Fail(info, c.fault, c.n);
        EXPECT_FALSE(Load("005930"));
        EXPECT_EQ(BoxCount(), before + 1);
        EXPECT_EQ(server.Requests().back(), info);
        EXPECT_TRUE(DirEntries(tempDir).empty());
        StockInfo zero{};
        EXPECT_EQ(std::memcmp(&loader->Core().Info(), &zero, sizeof zero), 0);
    }
    EXPECT_EQ(FailureBoxes(), 5u);
    for (const std::string& path : server.Requests()) EXPECT_EQ(path, info);
}

TEST_F(LoaderTest, FaultsOfTheDataDownloadShowOneMessageAndLeaveNoFile) {
    // The empty code loads 005930, each file into one of its own,
    // 005930.<process>.<n>.dat; the poller sees the data file appear while the
    // server stalls in the middle of its body.
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate, 200));
    server.Fail(DataPath("005930"), Fault::StallAfter, 28 * 50);
    FolderPoller poller(tempDir);
    EXPECT_FALSE(Load(""));
    std::set<std::string> seen = poller.Stop();
    EXPECT_FALSE(seen.empty());
    const std::string prefix = "005930." + std::to_string(GetCurrentProcessId()) + ".";
    for (const std::string& name : seen) {
        EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".dat") << name;
        std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        EXPECT_TRUE(!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) << name;
    }
    EXPECT_EQ(FailureBoxes(), 1u);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{InfoPath("005930"), DataPath("005930")}));
    EXPECT_EQ(loader->Core().Info().date, kDate);
    EXPECT_TRUE(DirEntries(tempDir).empty());

    server.Fail(DataPath("005930"), Fault::NotFound);
    EXPECT_FALSE(Load("005930"));
    EXPECT_EQ(FailureBoxes(), 2u);
    EXPECT_TRUE(DirEntries(tempDir).empty());
}

TEST_F(LoaderTest, EmptyInfoBodyIsAnUnusableFileNotAFailedDownload) {
    ServeDay("005930", MakeInfo("005930", kDate), MakeTicks(kDate, 10));
    server.Fail(InfoPath("005930"), Fault::EmptyBody);
    ASSERT_TRUE(Load("005930"));
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(loader->chart.Model().series.Count(), 0);   // zero info: the data fails the date test
}

TEST_F(LoaderTest, StaleFileInTheTemporaryFolderIsNeverReadNorTouched) {
    // Another chart's file under the code's plain name: each load has its own.
    StockInfo stale = MakeInfo("005930", kDate);
    ASSERT_TRUE(WriteWholeFile(tempDir + "\\005930.dat", InfoFile(stale)));
    server.Fail(InfoPath("005930"), Fault::NotFound);
    EXPECT_FALSE(Load("005930"));
    EXPECT_EQ(FailureBoxes(), 1u);
    EXPECT_EQ(loader->Core().Info().date, 0);
    EXPECT_EQ(DirEntries(tempDir), std::vector<std::string>{"005930.dat"});
}

TEST_F(LoaderTest, UnsafeCodesFetchNothingAndTouchNoFile) {
    const std::string victim = scratch.File("victim.dat");
    const std::string kept = tempDir + "\\keep.dat";
    ASSERT_TRUE(WriteWholeFile(victim, "victim"));
    ASSERT_TRUE(WriteWholeFile(kept, "kept"));
    const std::string tooLong(33, '1');
    const char* codes[] = {"..\\victim", "../victim", "keep.dat", "005930?x=1", "\xC7\xD1\xB1\xB9", tooLong.c_str()};
    for (const char* code : codes) {
        SCOPED_TRACE(code);
        size_t before = BoxCount();
        EXPECT_FALSE(Load(code));
        EXPECT_EQ(BoxCount(), before + 1);
    }
    EXPECT_EQ(FailureBoxes(), std::size(codes));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(ReadWholeFile(victim), "victim");
    EXPECT_EQ(ReadWholeFile(kept), "kept");
    EXPECT_EQ(DirEntries(tempDir), std::vector<std::string>{"keep.dat"});

    // 32 letters and digits is still a code.
    const std::string longest = std::string(16, 'A') + std::string(16, '9');
    ServeDay(longest, MakeInfo("AAAAAA", kDate), MakeTicks(kDate, 5));
    EXPECT_TRUE(Load(longest));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{InfoPath(longest), DataPath(longest)}));
}

}   // namespace
