#include "tools/sivarta-data/http_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpRules, RangesFollowRfc9110) {
    struct Case {
        const char* header;
        uint64_t size;
        RangeChoice::Kind kind;
        uint64_t first, last;
    };
    const Case cases[] = {
        {"bytes=0-9", 100, RangeChoice::Part, 0, 9},
        {"bytes=90-", 100, RangeChoice::Part, 90, 99},
        {"bytes=90-500", 100, RangeChoice::Part, 90, 99},   // the end is clipped to the file
        {"bytes=-10", 100, RangeChoice::Part, 90, 99},
        {"bytes=-500", 100, RangeChoice::Part, 0, 99},
        {" bytes=5-5 ", 100, RangeChoice::Part, 5, 5},
        {"bytes=100-", 100, RangeChoice::Unsatisfiable, 0, 0},
        {"bytes=-0", 100, RangeChoice::Unsatisfiable, 0, 0},
        {"bytes=0-", 0, RangeChoice::Unsatisfiable, 0, 0},
        {"bytes=0-,0-,0-", 100, RangeChoice::Whole, 0, 0},   // several: the whole file
        {"bytes=0-1,5-6", 100, RangeChoice::Whole, 0, 0},
        {"bytes=9-3", 100, RangeChoice::Whole, 0, 0},   // malformed: ignored
        {"bytes=a-3", 100, RangeChoice::Whole, 0, 0},
        {"bytes=+1-3", 100, RangeChoice::Whole, 0, 0},
        {"items=0-3", 100, RangeChoice::Whole, 0, 0},
        {"bytes=18446744073709551616-", 100, RangeChoice::Whole, 0, 0},
        {"", 100, RangeChoice::Whole, 0, 0},
    };
    for (const Case& c : cases) {
        const RangeChoice got = ChooseRange(c.header, c.size);
        EXPECT_EQ(got.kind, c.kind) << c.header;
        if (c.kind == RangeChoice::Part) {
            EXPECT_EQ(got.first, c.first) << c.header;
            EXPECT_EQ(got.last, c.last) << c.header;
        }
    }
}

TEST(HttpRules, TargetsDecodeAndRefuseNul) {
    struct Case {
        const char* target;
        bool ok;
        const char* path;
        std::vector<std::pair<std::string, std::string>> query;
    };
    const Case cases[] = {
        {"/a/b.dat", true, "/a/b.dat", {}},
        {"/a%20b?x=1&y=two+words", true, "/a b", {{"x", "1"}, {"y", "two words"}}},
        {"/c?w=1&w=1", true, "/c", {{"w", "1"}, {"w", "1"}}},   // repeats kept for the route to judge
        {"/c?flag&&=v", true, "/c", {{"flag", ""}, {"", "v"}}},
        {"/c?crTime=1%002", false, "", {}},
        {"/a%00.png", false, "", {}},
        {"/a%4", false, "", {}},
        {"/a%zz", false, "", {}},
        {"/c?x=%", false, "", {}},
    };
    for (const Case& c : cases) {
        std::string path;
        std::vector<std::pair<std::string, std::string>> query;
        const auto fault = SplitTarget(c.target, path, query);
        EXPECT_EQ(!fault, c.ok) << c.target;
        if (!c.ok) continue;
        EXPECT_EQ(path, c.path) << c.target;
        EXPECT_EQ(query, c.query) << c.target;
    }
}

TEST(HttpRules, DatesRoundTripAndRefuseOtherForms) {
    for (const int64_t t : {int64_t{0}, int64_t{784111777}, int64_t{1704412800}, int64_t{4102444799}})
        EXPECT_EQ(ParseHttpDate(HttpDate(t)), t) << HttpDate(t);
    EXPECT_EQ(HttpDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    for (const char* bad :
         {"Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 UTC",
          "Sun, 32 Nov 1994 08:49:37 GMT", "Sun, 06 Nox 1994 08:49:37 GMT", ""})
        EXPECT_FALSE(ParseHttpDate(bad)) << bad;
}

TEST(HttpRules, ConditionsDecideNotModified) {
    const std::string tag = "\"1-2-3-4\"";
    const std::string date = HttpDate(1000);
    struct Case {
        std::optional<std::string> ifNoneMatch, ifModifiedSince;
        bool notModified;
    };
    const Case cases[] = {
        {tag, std::nullopt, true},
        {"W/" + tag, std::nullopt, true},
        {"\"x\", " + tag, std::nullopt, true},
        {"*", std::nullopt, true},
        {"\"x\"", std::nullopt, false},
        {"\"x\"", date, false},   // If-None-Match decides when present
        {std::nullopt, date, true},
        {std::nullopt, HttpDate(999), false},   // modified after the client's copy
        {std::nullopt, "yesterday", false},
        {std::nullopt, std::nullopt, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NotModified(c.ifNoneMatch, c.ifModifiedSince, tag, 1000), c.notModified)
            << c.ifNoneMatch.value_or("-") << " / " << c.ifModifiedSince.value_or("-");
}

TEST(HttpRules, IfRangeNeedsTheSameVersion) {
    const std::string tag = "\"1-2-3-4\"";
    EXPECT_TRUE(RangeStillApplies(tag, tag, 1000));
    EXPECT_FALSE(RangeStillApplies("W/" + tag, tag, 1000));   // weak tags never
    EXPECT_FALSE(RangeStillApplies("\"other\"", tag, 1000));
    EXPECT_TRUE(RangeStillApplies(HttpDate(1000), tag, 1000));
    EXPECT_FALSE(RangeStillApplies(HttpDate(999), tag, 1000));
}

TEST(HttpRules, FileTagsFollowEveryPartOfTheStamp) {
    const FileStamp base{100, 5, 7, 9};
    const std::string tag = FileEtag(base);
    for (FileStamp changed :
         {FileStamp{101, 5, 7, 9}, FileStamp{100, 6, 7, 9}, FileStamp{100, 5, 8, 9}, FileStamp{100, 5, 7, 10}})
        EXPECT_NE(FileEtag(changed), tag);
    EXPECT_EQ(FileEtag(base), tag);
    EXPECT_EQ(tag.front(), '"');
    EXPECT_EQ(tag.back(), '"');
}

}   // namespace
