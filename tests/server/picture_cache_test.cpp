// The picture cache holds to its budget with entries counted whole, however
// long the keys, and keeps the most recently used.
#include "tools/sivarta-data/picture_cache.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

struct FillCase {
    const char* name;
    size_t budget, keyBytes, pngBytes, stores;
    bool kept;   // whether anything fits at all
};

const FillCase kFillCases[] = {
    {"short keys, small pictures", 1 << 20, 16, 1000, 5000, true},
    {"keys longer than the short-string buffer", 1 << 20, 40, 100, 20000, true},
    {"7 KB keys, tiny pictures", 1 << 20, 7000, 89, 2000, true},
    {"keys of varying length", 256 << 10, 0, 500, 3000, true},   // 0: length grows with the index
    {"each entry above a quarter of the budget", 64 << 10, 10, 20000, 10, false},
};

class PictureCacheFill : public testing::TestWithParam<FillCase> {};

TEST_P(PictureCacheFill, StaysWithinBudgetAndKeepsTheNewest) {
    const FillCase& c = GetParam();
    PictureCache cache(c.budget);
    std::string newest, oldest;
    for (size_t i = 0; i < c.stores; ++i) {
        const size_t length = c.keyBytes ? c.keyBytes : 1 + (i * 37) % 9000;
        std::string key = std::to_string(i) + std::string(length, 'k');
        key.reserve(key.size() + i % 64);   // the caller's spare capacity must not skew the count
        cache.Store(key, std::make_shared<const std::string>(c.pngBytes, 'p'));
        ASSERT_LE(cache.BytesUsed(), c.budget) << "after store " << i;
        if (i == 0) oldest = key;
        newest = key;
    }
    if (!c.kept) {
        EXPECT_EQ(cache.Entries(), 0u);
        EXPECT_EQ(cache.BytesUsed(), 0u);
        return;
    }
    ASSERT_NE(cache.Find(newest), nullptr);
    EXPECT_EQ(*cache.Find(newest), std::string(c.pngBytes, 'p'));
    EXPECT_EQ(cache.Find(oldest), nullptr);
    // Entries are counted whole: the keys alone fill the budget long before the pictures do.
    EXPECT_LE(cache.Entries() * (c.pngBytes + 2 * (c.keyBytes ? c.keyBytes : 1)), c.budget);
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureCacheFill, testing::ValuesIn(kFillCases),
                         [](const testing::TestParamInfo<FillCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(PictureCache, AFoundEntryOutlivesOlderOnes) {
    PictureCache cache(64 << 10);
    cache.Store("first", std::make_shared<const std::string>(4000, 'a'));
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(cache.Find("first"), nullptr) << "evicted although used, at " << i;
        cache.Store("other" + std::to_string(i), std::make_shared<const std::string>(4000, 'b'));
    }
    cache.Store("first", std::make_shared<const std::string>(10, 'z'));
    EXPECT_EQ(*cache.Find("first"), std::string(4000, 'a')) << "a filed key keeps its picture";
}

}   // namespace
