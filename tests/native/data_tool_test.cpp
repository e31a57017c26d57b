#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/file_readers.h"
#include "data/series_store.h"
#include "data/bar_csv.h"
#include "data/day_files.h"
#include "data/sample_day.h"

namespace {

CsvError ParseFails(const std::string& text) {
    std::vector<TickRecord> bars;
    CsvError error;
    EXPECT_FALSE(ParseBarsCsv(text, bars, error)) << text;
    return error;
}

SampleRequest Request(const char* code, uint64_t seed, bool seconds = false) {
    SampleRequest r;
    r.code = code;
    r.cp949Name = "\xBB\xEF\xBC\xBA";   // two CP949 characters
    r.date = 20240105;
    r.seed = seed;
    r.seconds = seconds;
    return r;
}

}   // namespace

TEST(BarCsv, ParsesWithOrWithoutHeaderAndCrLf) {
    std::vector<TickRecord> bars;
    CsvError error;
    ASSERT_TRUE(ParseBarsCsv("date,time,open,high,low,close,volume\r\n"
                             "20240105,90000,100,110,90,105,7\r\n"
                             "\r\n"
                             " 20240105 , 90100 ,105,106,104,104, 0\r\n",
                             bars, error))
        << error.why;
    ASSERT_EQ(bars.size(), 2u);
    const TickRecord want{20240105, 90100, 105, 106, 104, 104, 0};
    EXPECT_EQ(std::memcmp(&bars[1], &want, sizeof want), 0);
    ASSERT_TRUE(ParseBarsCsv("20240105,90000,100,110,90,105,7", bars, error));
    EXPECT_EQ(bars.size(), 1u);
    ASSERT_TRUE(ParseBarsCsv("\xEF\xBB\xBF"
                             "Date,Time,Open,High,Low,Close,Volume\n20240105,90000,1,1,1,1,1\n",
                             bars, error))
        << error.why;
    EXPECT_EQ(bars.size(), 1u);
}

TEST(BarCsv, ReportsLineFieldAndReason) {
    const std::string ok = "20240105,90000,100,110,90,105,7\n";
    struct Case {
        std::string text;
        int line;
        const char* field;
    };
    const Case cases[] = {
        {ok + "20240105,90100,100,110,90\n", 2, "close"},               // missing fields
        {ok + "20240105,90100,100,110,90,105,7,8\n", 2, "volume"},      // extra field
        {ok + "20240105,90100,1OO,110,90,105,7\n", 2, "open"},          // not a number
        {ok + "20240105,90100,,110,90,105,7\n", 2, "open"},             // empty
        {ok + "20240105,90100,100,2147483648,90,105,7\n", 2, "high"},   // past int32
        {ok + "20240105,90100,100,110,90,105,-1\n", 2, "volume"},
        {ok + "20240106,90100,100,110,90,105,7\n", 2, "date"},   // second day in one file
        {ok + "20240105,90000,100,110,90,105,7\n", 2, "time"},   // time not increasing
        {ok + "20240105,96000,100,110,90,105,7\n", 2, "time"},   // 60 minutes
        {ok + "20241305,90100,100,110,90,105,7\n", 2, "date"},   // month 13
        {ok + "20240105,90100,100,99,90,105,7\n", 2, "high"},    // high below close
        {ok + "20240105,90100,100,110,101,105,7\n", 2, "low"},   // low above open
        {ok + "20240105,90100,0,110,0,105,7\n", 2, "open"},      // not positive
        {"date,time\n" + ok + "x,1,2,3,4,5,6\n", 3, "date"},     // a header only on line 1
        {"", 1, "date"},                                         // no bars at all
        {"date,time,open,high,low,close,volume\n", 1, "date"},
    };
    for (const Case& c : cases) {
        const CsvError e = ParseFails(c.text);
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_EQ(e.field, c.field) << c.text;
        EXPECT_FALSE(e.why.empty()) << c.text;
    }
}

TEST(DayFiles, NameFitsThirtyBytesWithoutSplittingACharacter) {
    EXPECT_EQ(FitName("ABC"), "ABC");
    EXPECT_EQ(FitName(std::string(40, 'x')).size(), 30u);
    // 15 two-byte characters fill 30 bytes exactly; a 16th is dropped whole.
    std::string korean;
    for (int i = 0; i < 16; ++i) korean += "\xB8\xB8";
    EXPECT_EQ(FitName(korean), korean.substr(0, 30));
    EXPECT_EQ(FitName("A" + korean), "A" + korean.substr(0, 28));
    EXPECT_EQ(FitName("AB\xB8"), "AB");   // a lead byte without its partner
}

TEST(SampleDay, SameRequestSameDayAndSeedsOrCodesDiffer) {
    const DayFiles a = MakeSampleDay(Request("005930", 1));
    const DayFiles b = MakeSampleDay(Request("005930", 1));
    EXPECT_EQ(TickBytes(a.ticks), TickBytes(b.ticks));
    EXPECT_EQ(InfoBytes(a.info), InfoBytes(b.info));
    EXPECT_NE(TickBytes(MakeSampleDay(Request("005930", 2)).ticks), TickBytes(a.ticks));
    EXPECT_NE(TickBytes(MakeSampleDay(Request("000660", 1)).ticks), TickBytes(a.ticks));
}

TEST(SampleDay, MinuteDayIsAPlausibleTradingDay) {
    const DayFiles day = MakeSampleDay(Request("123456", 7));
    ASSERT_EQ(day.ticks.size(), 391u);
    EXPECT_EQ(day.ticks.front().time, 90000);
    EXPECT_EQ(day.ticks[1].time, 90100);
    EXPECT_EQ(day.ticks.back().time, 153000);
    int64_t volume = 0, high = 0, low = INT32_MAX, earlyVolume = 0, middayVolume = 0;
    for (std::size_t i = 0; i < day.ticks.size(); ++i) {
        const TickRecord& t = day.ticks[i];
        EXPECT_EQ(t.date, 20240105);
        EXPECT_GT(t.low, 0);
        EXPECT_LE(t.low, std::min(t.open, t.close));
        EXPECT_GE(t.high, std::max(t.open, t.close));
        EXPECT_EQ(t.close % TickSize(t.close), 0) << t.close;
        if (i > 0) {
            EXPECT_GT(t.time, day.ticks[i - 1].time);
        }
        volume += t.volume;
        high = std::max<int64_t>(high, t.high);
        low = std::min<int64_t>(low, t.low);
        if (i < 30) earlyVolume += t.volume;
        if (i >= 180 && i < 210) middayVolume += t.volume;
    }
    EXPECT_GT(earlyVolume, 2 * middayVolume);   // U-shaped volume
    EXPECT_EQ(day.info.date, 20240105);
    EXPECT_EQ(day.info.time, 153000);
    EXPECT_EQ(day.info.open, day.ticks.front().open);
    EXPECT_EQ(day.info.current, day.ticks.back().close);
    EXPECT_EQ(day.info.high, high);
    EXPECT_EQ(day.info.low, low);
    EXPECT_EQ(day.info.volume, volume);
}

TEST(SampleDay, SecondDayCoversTheTradingDaySecondBySecond) {
    const DayFiles day = MakeSampleDay(Request("005930", 949, true));
    ASSERT_EQ(day.ticks.size(), 23400u);
    EXPECT_EQ(day.ticks[59].time, 90059);
    EXPECT_EQ(day.ticks[60].time, 90100);
    EXPECT_EQ(day.ticks[3600].time, 100000);
    EXPECT_EQ(day.ticks.back().time, 152959);
}

TEST(SampleDay, TheChartReadsWhatTheToolWrites) {
    const DayFiles day = MakeSampleDay(Request("005930", 3));
    const auto info = InfoBytes(day.info);
    const auto ticks = TickBytes(day.ticks);
    StockInfo read{};
    AcceptInfoFile(info.data(), info.size(), "005930", read);
    EXPECT_EQ(std::string(read.name, 4), "\xBB\xEF\xBC\xBA");
    EXPECT_EQ(read.name[4], '\0');
    SeriesStore series;
    ReadDataFile(ticks.data(), ticks.size(), read,
                 [&](int32_t t, int32_t o, int32_t h, int32_t l, int32_t c, int32_t v) {
                     series.AddBar(t, o, h, l, c, v, 300);
                 });
    ASSERT_EQ(series.Count(), 392);
    EXPECT_EQ(series.Last()->time, 20240105);
    EXPECT_EQ(series.Last()->close, day.ticks.back().close);
}

TEST(DayFiles, InfoVolumeAndChangeAreCappedNotWrapped) {
    std::vector<TickRecord> ticks(3, TickRecord{20240105, 90000, 10, 10, 10, 10, INT32_MAX});
    ticks[2].close = INT32_MIN + 1;
    const StockInfo info = MakeInfo("005930", "", ticks, 153000, 5);
    EXPECT_EQ(info.volume, INT32_MAX);
    EXPECT_EQ(info.change, INT32_MIN);
}
