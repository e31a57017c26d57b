#include "data/file_readers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "data/series_store.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes InfoFile(int32_t date, const char* code, std::size_t codeBytes) {
    StockInfo info{};
    info.date = date;
    info.time = 153000;
    std::memcpy(info.code, code, codeBytes);
    std::memcpy(info.name, "NAME", 4);
    info.open = 100;
    info.high = 120;
    info.low = 90;
    info.current = 110;
    info.volume = 5000;
    info.change = -7;
    Bytes b(sizeof info);
    std::memcpy(b.data(), &info, sizeof info);
    return b;
}

StockInfo Accept(const Bytes& file, std::string_view requested, StockInfo info = {}) {
    AcceptInfoFile(file.data(), file.size(), requested, info);
    return info;
}

bool AllZero(const StockInfo& info) {
    const StockInfo zero{};
    return std::memcmp(&info, &zero, sizeof info) == 0;
}

std::string Code(const StockInfo& info) {
    return std::string(info.code, strnlen(info.code, 6));
}

StockInfo InfoOn(int32_t date) {
    StockInfo info{};
    info.date = date;
    info.open = 1;
    info.high = 2;
    info.low = 3;
    info.current = 4;
    info.volume = 5;
    return info;
}

// A data file: record i has time times[i] and prices/volume derived from i.
Bytes DataFile(int32_t date, const std::vector<int32_t>& times, std::size_t extraBytes = 0) {
    Bytes b;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const int32_t k = static_cast<int32_t>(i);
        const TickRecord r{i == 0 ? date : -1, times[i], 1000 + k, 2000 + k, 500 + k, 1500 + k, 10 * k};
        const auto* p = reinterpret_cast<const unsigned char*>(&r);
        b.insert(b.end(), p, p + sizeof r);
    }
    b.insert(b.end(), extraBytes, 0xEE);
    return b;
}

std::vector<BarRecord> Read(const Bytes& file, const StockInfo& info) {
    std::vector<BarRecord> bars;
    ReadDataFile(file.data(), file.size(), info, [&](int32_t t, int32_t o, int32_t h, int32_t l, int32_t c, int32_t v) {
        bars.push_back(BarRecord{o, h, l, c, v, t});
    });
    return bars;
}

}   // namespace

TEST(StockCode, AcceptsOnlyOneTo32AsciiLettersAndDigits) {
    EXPECT_TRUE(IsValidStockCode("005930"));
    EXPECT_TRUE(IsValidStockCode("A"));
    EXPECT_TRUE(IsValidStockCode(std::string(32, 'z')));
    EXPECT_FALSE(IsValidStockCode(""));
    EXPECT_FALSE(IsValidStockCode(std::string(33, '1')));
    for (const char* bad : {"../005930", "0059 30", "a/b", "a\\b", "%2e", "a.dat", "\xB8\xB8"})
        EXPECT_FALSE(IsValidStockCode(bad)) << bad;
    EXPECT_FALSE(IsValidStockCode(std::string_view("0059\0"
                                                   "30",
                                                   6)));
}

TEST(InfoFile, OnlyExactly128BytesReplaceTheInfo) {
    Bytes file = InfoFile(20021115, "005930", 6);
    const StockInfo accepted = Accept(file, "005930");
    EXPECT_EQ(accepted.date, 20021115);
    EXPECT_EQ(accepted.change, -7);
    EXPECT_EQ(std::memcmp(&accepted, file.data(), 128), 0);

    for (std::size_t length : {0, 127, 129}) {
        Bytes wrong = file;
        wrong.resize(length, 0);
        EXPECT_TRUE(AllZero(Accept(wrong, "005930"))) << length;
        // A previous load's record stays when the new file has the wrong length.
        const StockInfo kept = Accept(wrong, "005930", accepted);
        EXPECT_EQ(std::memcmp(&kept, &accepted, sizeof kept), 0) << length;
    }
    StockInfo untouched = accepted;
    AcceptInfoFile(nullptr, 128, "005930", untouched);
    EXPECT_EQ(untouched.date, accepted.date);
}

TEST(InfoFile, CodeRules) {
    // Five characters gain a leading '0'; the code then matches the six-character request.
    const StockInfo five = Accept(InfoFile(20021115, "05930", 6), "005930");
    EXPECT_EQ(Code(five), "005930");
    EXPECT_EQ(five.date, 20021115);
    EXPECT_EQ(std::string(five.name), "NAME");
    // ... and so can never match the five characters themselves.
    EXPECT_TRUE(AllZero(Accept(InfoFile(20021115, "05930", 6), "05930")));

    // Four characters are not padded.
    EXPECT_EQ(Accept(InfoFile(1, "1234", 4), "1234").date, 1);
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "1234", 4), "01234")));
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "1234", 4), "001234")));

    // Exact and case-sensitive; the name after a full six-byte code is not part of it.
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "abcdef", 6), "ABCDEF")));
    EXPECT_EQ(Accept(InfoFile(1, "abcdef", 6), "abcdef").date, 1);
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "005930", 6), "005930NAME")));
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "005930", 6), std::string(32, '0'))));
    EXPECT_TRUE(AllZero(Accept(InfoFile(1, "005930", 6), "00593")));

    // A wrong-length file leaves a previous record to the same rules.
    const StockInfo previous = Accept(InfoFile(7, "000660", 6), "000660");
    EXPECT_TRUE(AllZero(Accept(Bytes(3), "005930", previous)));
}

TEST(DataFile, RecordCountTruncatesAndIgnoresTrailingBytes) {
    const StockInfo info = InfoOn(20021115);
    EXPECT_TRUE(Read(Bytes(27, 0), info).empty());
    EXPECT_TRUE(Read(Bytes(), info).empty());

    // 3 records + 5 bytes: three bars from the file plus the synthesised one.
    const auto bars = Read(DataFile(20021115, {90000, 90100, 90200}, 5), info);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[2].time, 90200);
}

TEST(DataFile, FieldsMapToBarsAndOnlyTheFirstDateIsRead) {
    const auto bars = Read(DataFile(20021115, {90000, 90100}), InfoOn(20021115));
    ASSERT_EQ(bars.size(), 3u);
    // Record 1 carries date -1, which would fail the test were it read.
    const BarRecord want{1001, 2001, 501, 1501, 10, 90100};
    EXPECT_EQ(std::memcmp(&bars[1], &want, sizeof want), 0);
    // The synthesised bar: the info's date in the time field, close = current.
    const BarRecord last{1, 2, 3, 4, 5, 20021115};
    EXPECT_EQ(std::memcmp(&bars[2], &last, sizeof last), 0);
}

TEST(DataFile, FirstRecordCountsOnlyAtNineOClock) {
    const StockInfo info = InfoOn(20021115);
    EXPECT_EQ(Read(DataFile(20021115, {90000, 90100, 90200}), info).size(), 3u + 1);
    const auto skipped = Read(DataFile(20021115, {90100, 90200, 90300}), info);
    ASSERT_EQ(skipped.size(), 2u + 1);
    EXPECT_EQ(skipped[0].time, 90200);
    // Later records count whatever their time.
    EXPECT_EQ(Read(DataFile(20021115, {90000, 0, -5, 90000}), info).size(), 4u + 1);
    // A lone record at another time still lets the synthesised bar through.
    const auto lone = Read(DataFile(20021115, {85959}), info);
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0].time, 20021115);
}

TEST(DataFile, DateTest) {
    auto kept = [](int32_t infoDate, int32_t dataDate) {
        return !Read(DataFile(dataDate, {90000}), InfoOn(infoDate)).empty();
    };
    EXPECT_TRUE(kept(20021115, 20021120));    // D + 5
    EXPECT_TRUE(kept(20021115, 20021110));    // D - 5
    EXPECT_FALSE(kept(20021115, 20021121));   // D + 6, same month
    EXPECT_FALSE(kept(20021115, 20021109));   // D - 6
    EXPECT_TRUE(kept(20021130, 20021201));    // next month
    EXPECT_TRUE(kept(20021231, 20030102));    // next year
    EXPECT_FALSE(kept(20021201, 20021130));   // the month case is one-way
    EXPECT_FALSE(kept(20030102, 20021231));
    EXPECT_TRUE(kept(20021115, 20031231));    // any day of the next year
    EXPECT_FALSE(kept(20021115, 20040101));   // but not the one after
    // No info: only numbers near zero pass, never a real date.
    EXPECT_FALSE(kept(0, 20021115));
    EXPECT_TRUE(kept(0, 5));
    EXPECT_TRUE(kept(0, 150));
    EXPECT_TRUE(kept(0, 12345));
    EXPECT_FALSE(kept(0, 6));
}

TEST(DataFile, SynthesisedBarNeedsPositiveInfoDateNotBeforeTheData) {
    auto last = [](int32_t infoDate, int32_t dataDate) {
        return Read(DataFile(dataDate, {90000, 90100}), InfoOn(infoDate)).back().time;
    };
    EXPECT_EQ(last(20021115, 20021115), 20021115);
    EXPECT_EQ(last(20021115, 20021112), 20021115);
    EXPECT_EQ(last(20021115, 20021118), 90100);   // data after the info: no synthesised bar
    EXPECT_EQ(last(0, 0), 90100);                 // no info date
    EXPECT_EQ(last(-3, -3), 90100);
}

TEST(DataFile, ExtremeDatesNeitherOverflowNorPass) {
    // Run under UBSan: every sum here overflows in 32 bits.
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(Read(DataFile(kMax, {90000}), InfoOn(kMax)).size(), 2u);
    EXPECT_EQ(Read(DataFile(kMin, {90000}), InfoOn(kMin)).size(), 1u);
    EXPECT_TRUE(Read(DataFile(kMin, {90000}), InfoOn(kMax)).empty());
    EXPECT_TRUE(Read(DataFile(kMax, {90000}), InfoOn(kMin)).empty());
    EXPECT_EQ(Read(DataFile(kMax, {90000}), InfoOn(kMax - 5)).size(), 1u);   // within 5 but after D
}

TEST(DataFile, ReadsFromAnyAlignmentAndRejectsOversizedFiles) {
    const Bytes file = DataFile(20021115, {90000, 90100, 90200});
    Bytes shifted(file.size() + 1);
    std::memcpy(shifted.data() + 1, file.data(), file.size());
    std::vector<BarRecord> bars;
    ReadDataFile(shifted.data() + 1, file.size(), InfoOn(20021115),
                 [&](int32_t t, int32_t, int32_t, int32_t, int32_t, int32_t) {
                     bars.push_back({0, 0, 0, 0, 0, t});
                 });
    EXPECT_EQ(bars.size(), 4u);

    Bytes big = DataFile(20021115, {90000});
    big.resize(kMaxDataFileBytes + 28, 0);
    EXPECT_TRUE(Read(big, InfoOn(20021115)).empty());
    big.resize(kMaxDataFileBytes);
    EXPECT_EQ(Read(big, InfoOn(20021115)).size(), kMaxDataFileBytes / 28 + 1);
    EXPECT_TRUE(Read(Bytes(), InfoOn(20021115)).empty());
    ReadDataFile(nullptr, 280, InfoOn(20021115), [](auto...) { FAIL() << "no bytes, no bars"; });
}

TEST(DataFile, IntoTheSeriesEqualTimesReplaceAndTheDayBarCloses) {
    SeriesStore series;
    series.Reset();
    ReadDataFile(DataFile(20021115, {90000, 90100, 90100, 90200}).data(), 4 * 28, InfoOn(20021115),
                 [&](int32_t t, int32_t o, int32_t h, int32_t l, int32_t c, int32_t v) {
                     series.AddBar(t, o, h, l, c, v, 100);
                 });
    ASSERT_EQ(series.Count(), 4);
    EXPECT_EQ(series.At(1)->open, 1002);   // the later of the two 09:01 records
    EXPECT_EQ(series.Last()->time, 20021115);
    EXPECT_EQ(series.nAppendCount, 5);
}
