#include "data/feed_book.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FeedBook, TradeLinesParseOrSayWhy) {
    struct Case {
        const char* line;
        bool ok;
        const char* fault;   // part of the reason
    };
    const Case cases[] = {
        {"005930,090001,71000,10", true, ""},        {" 005930 , 153000 , 1 , 0 \r", true, ""},
        {"005930,090001,71000", false, "expected"},  {"005930,090001,71000,10,1", false, "expected"},
        {"00593,090001,71000,10", false, "code"},    {"0059301,090001,71000,10", false, "code"},
        {"../x,090001,71000,10", false, "code"},     {"005930,096001,71000,10", false, "time"},
        {"005930,240000,71000,10", false, "time"},   {"005930,9:00,71000,10", false, "time"},
        {"005930,090001,0,10", false, "price"},      {"005930,090001,2147483648,10", false, "price"},
        {"005930,090001,71000,-1", false, "volume"},
    };
    for (const Case& c : cases) {
        Trade trade;
        const auto fault = ParseTrade(c.line, trade);
        EXPECT_EQ(!fault, c.ok) << c.line;
        if (fault) EXPECT_NE(fault->find(c.fault), std::string::npos) << c.line << ": " << *fault;
    }
}

TEST(FeedBook, TradesBecomeMinutesAndTheSnapshot) {
    FeedBook book(20240105);
    const Trade trades[] = {{"005930", 90001, 100, 5},
                            {"005930", 90030, 120, 1},
                            {"005930", 90059, 90, 2},
                            {"005930", 90100, 95, 4},
                            {"005930", 90130, 97, 3}};
    book.Load("005930", "", "", 98);
    for (const Trade& t : trades) ASSERT_FALSE(book.Add(t));
    EXPECT_TRUE(book.Add({"005930", 85959, 90, 1}));   // back before the last minute: refused
    const DayFiles files = book.Files("005930");
    ASSERT_EQ(files.ticks.size(), 2u);
    const TickRecord first{20240105, 90000, 100, 120, 90, 90, 8}, second{20240105, 90100, 95, 97, 95, 97, 7};
    EXPECT_EQ(std::memcmp(&files.ticks[0], &first, sizeof first), 0);
    EXPECT_EQ(std::memcmp(&files.ticks[1], &second, sizeof second), 0);
    EXPECT_EQ(files.info.time, 90130);
    EXPECT_EQ(files.info.current, 97);
    EXPECT_EQ(files.info.high, 120);
    EXPECT_EQ(files.info.low, 90);
    EXPECT_EQ(files.info.volume, 15);
    EXPECT_EQ(files.info.change, -1);   // against the given previous close
}

TEST(FeedBook, ARestartGoesOnFromThePublishedFiles) {
    FeedBook first(20240105);
    first.Load("000660", "", "", 200);
    ASSERT_FALSE(first.Add({"000660", 90000, 210, 3}));
    const DayFiles published = first.Files("000660");
    const auto info = InfoBytes(published.info), data = TickBytes(published.ticks);

    FeedBook again(20240105);
    again.Load("000660", std::string(info.begin(), info.end()), std::string(data.begin(), data.end()), std::nullopt);
    ASSERT_FALSE(again.Add({"000660", 90010, 205, 2}));
    const DayFiles files = again.Files("000660");
    ASSERT_EQ(files.ticks.size(), 1u);
    EXPECT_EQ(files.ticks[0].volume, 5);
    EXPECT_EQ(files.ticks[0].high, 210);
    EXPECT_EQ(files.info.change, 5);   // the previous close the info file implied

    // Yesterday's files: its last price is the previous close, its minutes are gone.
    FeedBook nextDay(20240108);
    nextDay.Load("000660", std::string(info.begin(), info.end()), std::string(data.begin(), data.end()), std::nullopt);
    ASSERT_FALSE(nextDay.Add({"000660", 90000, 215, 1}));
    EXPECT_EQ(nextDay.Files("000660").ticks.size(), 1u);
    EXPECT_EQ(nextDay.Files("000660").info.change, 5);
}

}   // namespace
