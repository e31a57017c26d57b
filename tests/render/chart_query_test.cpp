#include <gtest/gtest.h>

#include "tools/sivarta-data/chart_query.h"

namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

std::optional<std::string> Parse(const std::string& code, const Params& params, ChartQuery& q) {
    return ParseChartQuery(code, params, q);
}

}   // namespace

TEST(ChartQuery, TakesSizeAndDisplayPropertiesIgnoringCase) {
    ChartQuery q;
    ASSERT_EQ(Parse("005930",
                    {{"W", "400"}, {"h", "300"}, {"strtype", "ENG"}, {"CRHIGHCANDLE", "0xFF"}, {"nIsToolTip", "0"}}, q),
              std::nullopt);
    EXPECT_EQ(q.request.code, "005930");
    EXPECT_EQ(q.request.width, 400);
    EXPECT_EQ(q.request.height, 300);
    EXPECT_TRUE(q.request.settings.IsEnglish());
    EXPECT_EQ(q.request.settings.crHighCandle, 255);
    EXPECT_EQ(q.request.settings.nIsToolTip, 0);
    // Defaults stay: the control's size and colours.
    ChartQuery d;
    ASSERT_EQ(Parse("000660", {}, d), std::nullopt);
    EXPECT_EQ(d.request.width, 228);
    EXPECT_EQ(d.request.height, 190);
    EXPECT_EQ(d.request.settings.crLowCandle, ChartSettings().crLowCandle);
}

TEST(ChartQuery, RefusesBadCodesSizesNamesAndValues) {
    struct Case {
        std::string code;
        Params params;
        const char* fault;   // the start of the reason
    };
    const Case cases[] = {
        {"", {}, "bad code"},
        {"00593.", {}, "bad code"},
        {"../x", {}, "bad code"},
        {std::string(33, '1'), {}, "bad code"},
        {"005930", {{"w", "0"}}, "bad size"},
        {"005930", {{"h", "4097"}}, "bad size"},
        {"005930", {{"w", "12px"}}, "bad size"},
        {"005930", {{"w", ""}}, "bad size"},
        {"005930", {{"w", "99999999999"}}, "bad size"},
        {"005930", {{"nosuch", "1"}}, "unknown parameter"},
        {"005930", {{"strCode", "000660"}}, "unknown parameter"},    // a load setting, not a display one
        {"005930", {{"strURL", "http://x"}}, "unknown parameter"},   // a click setting
        {"005930", {{"nsizeMainX", "300"}}, "unknown parameter"},    // the size is w and h
        {"005930", {{"crBoxLine", "red"}}, "bad crBoxLine"},
        {"005930", {{"nsizeGapX", "99999999999"}}, "bad nsizeGapX"},
        {"005930", {{"w", "100"}, {"W", "200"}}, "parameter w given twice"},
    };
    for (const Case& c : cases) {
        ChartQuery q;
        const auto fault = Parse(c.code, c.params, q);
        ASSERT_TRUE(fault.has_value()) << c.code << " " << (c.params.empty() ? "" : c.params[0].first);
        EXPECT_EQ(fault->rfind(c.fault, 0), 0u) << *fault;
    }
}

TEST(ChartQuery, KeyAndTagFollowOptionsAndFiles) {
    ChartQuery a, b, c;
    ASSERT_EQ(Parse("005930", {{"crBoxLine", "255"}}, a), std::nullopt);
    ASSERT_EQ(Parse("005930", {{"CRBOXLINE", "0xff"}, {"w", "228"}}, b), std::nullopt);   // the same picture
    ASSERT_EQ(Parse("005930", {{"crBoxLine", "254"}}, c), std::nullopt);
    const FileStamp info{128, 1}, data{28 * 391, 2};
    EXPECT_EQ(ChartKey(a, info, data), ChartKey(b, info, data));
    EXPECT_EQ(ChartEtag(ChartKey(a, info, data)), ChartEtag(ChartKey(b, info, data)));
    const std::string tags[] = {
        ChartEtag(ChartKey(a, info, data)),
        ChartEtag(ChartKey(c, info, data)),
        ChartEtag(ChartKey(a, {128, 3}, data)),
        ChartEtag(ChartKey(a, info, {28 * 392, 2})),
    };
    for (size_t i = 0; i < std::size(tags); ++i) {
        EXPECT_EQ(tags[i].size(), 18u);
        EXPECT_EQ(tags[i].front(), '"');
        for (size_t j = 0; j < i; ++j) EXPECT_NE(tags[i], tags[j]) << i << " " << j;
    }
}

TEST(ChartQuery, IfNoneMatchForms) {
    const std::string tag = "\"0123456789abcdef\"";
    struct Case {
        const char* header;
        bool matches;
    };
    const Case cases[] = {
        {"\"0123456789abcdef\"", true},
        {"*", true},
        {"W/\"0123456789abcdef\"", true},
        {"\"x\", \"0123456789abcdef\"", true},
        {"\"x\",W/\"0123456789abcdef\" ", true},
        {"0123456789abcdef", false},   // unquoted is another tag
        {"\"0123456789abcde\"", false},
        {"", false},
        {"\"x\", \"y\"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(EtagMatches(c.header, tag), c.matches) << c.header;
}
