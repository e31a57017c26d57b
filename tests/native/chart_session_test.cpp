// ChartSession: the request URLs, the load and its verdicts, and the
// crosshair driven by pointer and keys, as every front-end sees them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/day_files.h"
#include "data/sample_day.h"
#include "interact/chart_session.h"

namespace {

DayFiles Day(const std::string& code) {
    return MakeSampleDay({code, "", 20240105, 7, 0, false});
}

// The width of text at the chart face's fixed pitch.
int32_t Pitch(std::string_view text) {
    return static_cast<int32_t>(text.size()) * 6;
}

bool SceneHasText(const Scene& scene, std::string_view text) {
    for (const ScenePrim& p : scene.Prims())
        if (p.kind == PrimKind::Text && scene.TextOf(p) == text) return true;
    return false;
}

TEST(ChartSessionTest, RequestUrlsFollowCodeHostAndScheme) {
    struct Case {
        const char* code;
        const char* host;
        bool https;
        std::string info;      // expected info URL, empty when refused
        const char* refusal;   // part of the refusal
    };
    const std::string defaultBase = std::string("http://") + DefaultHost();
    const std::vector<Case> cases = {
        {"", "", false, defaultBase + "/sisefile/info/005930.dat", ""},
        {"000660", "data.example.com:81", true, "https://data.example.com:81/sisefile/info/000660.dat", ""},
        {"A1", "HTTP://x.example.com//", true, "HTTP://x.example.com/sisefile/info/A1.dat", ""},
        {"00 59", "x.example.com", false, "", "not 1 to 32 ASCII letters"},
        {"005930", "x.example.com\nevil.example.com", false, "", "blanks or control"},
        {"005930", "x.example.com y", false, "", "blanks or control"},
    };
    for (const Case& c : cases) {
        ChartSession core;
        core.Settings().strCode = c.code;
        core.Settings().strChartUrl = c.host;
        const DayRequest request = core.Request(c.https);
        EXPECT_EQ(request.infoUrl, c.info) << c.code << " " << c.host;
        if (c.info.empty()) {
            EXPECT_FALSE(request.Made());
            EXPECT_NE(request.refusal.find(c.refusal), std::string::npos) << request.refusal;
        } else {
            const std::string code = *c.code ? c.code : kDefaultCode;
            EXPECT_EQ(request.dataUrl, c.info.substr(0, c.info.find("/sisefile/")) + "/sisefile/Date/" + code + ".dat");
        }
    }
}

TEST(ChartSessionTest, LoadVerdictsSayWhyAndOnlyFailuresShowTheFailureText) {
    const DayFiles day = Day("005930");
    const std::vector<unsigned char> info = InfoBytes(day.info);
    const std::vector<unsigned char> data = TickBytes(day.ticks);
    StockInfo otherInfo = day.info;
    std::memcpy(otherInfo.code, "000660", 6);
    const std::vector<unsigned char> other = InfoBytes(otherInfo);
    std::vector<TickRecord> lateTicks = day.ticks;
    for (TickRecord& t : lateTicks) t.date = 20240301;   // two months on
    const std::vector<unsigned char> late = TickBytes(lateTicks);
    const std::vector<unsigned char> shortInfo(info.begin(), info.begin() + 100);
    const std::vector<unsigned char> shortData(data.begin(), data.begin() + 10);

    struct Case {
        const char* name;
        const std::vector<unsigned char>* info;   // nullptr: its download failed
        const std::vector<unsigned char>* data;
        bool accepted, failed;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"whole day", &info, &data, true, false, ""},
        {"info of 100 bytes", &shortInfo, &data, false, false, "info file refused: 100 bytes, not 128"},
        {"info for another code", &other, &data, false, false,
         "info file refused: it is for code '000660', not 005930"},
        {"data without a whole record", &info, &shortData, false, false, "data file refused: no whole record"},
        {"data of another month", &info, &late, false, false, "data file refused: its date 20240301"},
        {"info download failed", nullptr, &data, false, true, "HTTP 404"},
        {"data download failed", &info, nullptr, false, true, "HTTP 404"},
    };
    for (const Case& c : cases) {
        ChartSession core;
        core.SetSize(228, 190);
        const auto file = [](const std::vector<unsigned char>* bytes) {
            return bytes ? FetchedFile{bytes->data(), bytes->size(), true, {}}
                         : FetchedFile{nullptr, 0, false, "HTTP 404"};
        };
        const LoadVerdict& verdict = core.Load(file(c.info), file(c.data));
        EXPECT_EQ(verdict.Accepted(), c.accepted) << c.name;
        EXPECT_EQ(verdict.Failed(), c.failed) << c.name;
        EXPECT_EQ(verdict.Reason().substr(0, c.reason.size()), c.reason) << c.name << ": " << verdict.Reason();
        EXPECT_EQ(SceneHasText(core.ChartScene(), kLoadFailedText), c.failed) << c.name;
        // The info fields come only from an accepted info file.
        EXPECT_EQ(core.InfoCode(), c.info == &info ? "005930" : "") << c.name;
        EXPECT_EQ(core.Model().series.Count() > 0, c.accepted) << c.name;
    }
}

TEST(ChartSessionTest, BadCodeFailsWithoutReadingAnything) {
    const DayFiles day = Day("005930");
    const std::vector<unsigned char> info = InfoBytes(day.info), data = TickBytes(day.ticks);
    ChartSession core;
    core.SetSize(228, 190);
    core.Settings().strCode = "../005930";
    const LoadVerdict& verdict = core.Load({info.data(), info.size(), true, {}}, {data.data(), data.size(), true, {}});
    EXPECT_TRUE(verdict.Failed());
    EXPECT_NE(verdict.Reason().find("not 1 to 32"), std::string::npos);
    EXPECT_EQ(core.InfoCode(), "");
    EXPECT_EQ(core.Model().series.Count(), 0);
}

TEST(ChartSessionTest, CrosshairFollowsPointerThenKeys) {
    const DayFiles day = Day("005930");
    const std::vector<unsigned char> info = InfoBytes(day.info), data = TickBytes(day.ticks);
    ChartSession core(Pitch);
    core.SetSize(228, 190);
    core.Load({info.data(), info.size(), true, {}}, {data.data(), data.size(), true, {}});
    const Rect box = core.Model().rcBox;
    const std::string firstTip = core.TipText();

    // Nothing before the pointer has been over the frame: not the keys, not a retrack.
    EXPECT_EQ(core.PressKey(ArrowKey::Right), 0);
    EXPECT_EQ(core.Retrack(), 0);
    EXPECT_EQ(core.PointerMove(box.left - 2, box.top + 5), 0);
    EXPECT_FALSE(core.HasTracked());

    const int32_t x = box.left + 31, y = box.top + 20;
    EXPECT_EQ(core.PointerMove(x, y), ChartSession::kCrosshairMoved | ChartSession::kTipChanged);
    EXPECT_TRUE(core.HasTracked());
    EXPECT_NE(core.TipText(), firstTip);
    EXPECT_EQ(core.CrosshairScene().Prims().size(), 2u);
    const Point at = core.Crosshair();
    EXPECT_EQ((at.x - box.left) % 3, 0) << "on a slot line";
    EXPECT_EQ(at.y, y);
    // The same point again draws nothing.
    EXPECT_EQ(core.PointerMove(at.x, y), 0);

    struct Step {
        ArrowKey key;
        int32_t dx, dy;
    };
    for (const Step& s : {Step{ArrowKey::Right, 3, 0}, Step{ArrowKey::Left, -3, 0}, Step{ArrowKey::Up, 0, -1},
                          Step{ArrowKey::Down, 0, 1}}) {
        const Point before = core.Crosshair();
        EXPECT_NE(core.PressKey(s.key) & ChartSession::kCrosshairMoved, 0);
        EXPECT_EQ(core.Crosshair(), (Point{before.x + s.dx, before.y + s.dy}));
        EXPECT_EQ(core.PreviousCrosshair(), before);
    }
    // After a redraw the crosshair comes back once at its point.
    core.Redraw();
    EXPECT_NE(core.Retrack() & ChartSession::kCrosshairMoved, 0);
    EXPECT_EQ(core.Retrack(), 0);

    // Outside the frame the crosshair stays and no tooltip shows.
    EXPECT_EQ(core.PointerMove(box.right + 5, y), 0);
    EXPECT_FALSE(core.ShowsTip(box.right + 5, y));
    EXPECT_TRUE(core.ShowsTip(x, y));
    core.Settings().nIsToolTip = 2;
    EXPECT_FALSE(core.ShowsTip(x, y));
}

TEST(ChartSessionTest, ClickPageOnlyWhenSwitchedOnAndHttp) {
    struct Case {
        const char* action;
        const char* url;
        bool opens;
    };
    for (const Case& c :
         {Case{"Y", "https://www.example.com/a", true}, Case{"N", "https://www.example.com/", false},
          Case{"n", "http://www.example.com/", true}, Case{"Y", "file:///etc/passwd", false}, Case{"", "", true}}) {
        ChartSession core;
        core.Settings().strClickAction = c.action;
        core.Settings().strURL = c.url;
        const auto page = core.ClickPage();
        EXPECT_EQ(page.has_value(), c.opens) << c.action << " " << c.url;
        if (page && !*c.url) EXPECT_EQ(*page, DefaultPage());
    }
}

TEST(ChartSessionTest, LoadReadsBothFilesAndRefusesBadCodes) {
    StockInfo stock{};
    stock.date = 20261208;
    stock.time = 153000;
    std::memcpy(stock.code, "005930", 6);
    stock.open = 990, stock.high = 1030, stock.low = 970, stock.current = 1000, stock.volume = 3000;
    const TickRecord ticks[] = {{20261208, 90000, 1000, 1020, 990, 1010, 500},
                                {20261208, 90100, 1010, 1015, 980, 990, 2000}};
    const auto* infoBytes = reinterpret_cast<const unsigned char*>(&stock);
    const auto* dataBytes = reinterpret_cast<const unsigned char*>(ticks);

    const FetchedFile info{infoBytes, sizeof stock, true, {}}, data{dataBytes, sizeof ticks, true, {}};

    ChartSession s;
    s.SetSize(228, 190);
    s.Settings().strCode = "005930";
    ASSERT_TRUE(s.Load(info, data).Accepted());
    EXPECT_EQ(s.Info().current, 1000);
    ASSERT_EQ(s.Model().series.Count(), 3);   // two records and the bar from the info file
    EXPECT_EQ(s.Model().series.Last()->close, 1000);
    EXPECT_FALSE(s.ChartScene().Prims().empty());

    // Another code refuses the info file; a code that is no plain name reads nothing.
    s.Settings().strCode = "000660";
    EXPECT_FALSE(s.Load(info, data).Failed());
    EXPECT_EQ(s.Info().current, 0);
    s.Settings().strCode = "..\\x";
    EXPECT_TRUE(s.Load(info, data).Failed());
    EXPECT_EQ(s.Model().series.Count(), 0);
}

TEST(ChartSessionTest, StepwiseLoadKeepsThePreviousInfoForAnInfoFileOfAnotherLength) {
    const DayFiles day = Day("005930");
    const std::vector<unsigned char> data = TickBytes(day.ticks);
    const unsigned char shortInfo[100] = {};
    ChartSession core;
    core.SetSize(228, 190);
    core.ResetSeries();
    core.BeginLoad("005930", day.info);
    EXPECT_EQ(core.AcceptInfo(shortInfo, sizeof shortInfo).kind, FileVerdict::Kind::WrongLength);
    EXPECT_EQ(core.InfoCode(), "005930");   // the record the file could not replace
    EXPECT_TRUE(core.AcceptData(data.data(), data.size()).Accepted());
    core.FinishLoad();
    EXPECT_GT(core.Model().series.Count(), 0);
    EXPECT_TRUE(core.TrackForced());
}

}   // namespace
