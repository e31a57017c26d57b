// The binary form of persisted properties: round trip, and every way a
// stream can lie or end early is refused with nothing returned.
#include <gtest/gtest.h>

#include <cstring>

#include "data/prop_codec.h"

namespace {

const std::vector<PropSlot> kSlots{{"_Version", PropKind::I4},
                                   {"strCode", PropKind::String},
                                   {"nsizeMainX", PropKind::I4},
                                   {"strURL", PropKind::String}};

std::vector<PropValue> Sample() {
    return {int32_t{0x00010000}, std::string("005930"), int32_t{-228}, std::string()};
}

DecodeResult Decode(const std::vector<uint8_t>& bytes, std::vector<PropValue>& out) {
    MemorySource source(bytes.data(), bytes.size());
    return DecodeProps(source, kSlots, out);
}

void PutU32At(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}   // namespace

TEST(PropCodec, RoundTripKeepsEveryValueAndReportsItsSize) {
    std::vector<uint8_t> bytes = EncodeProps(kSlots, Sample());
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.size(), EncodedPropsSize(Sample()));
    std::vector<PropValue> out;
    MemorySource source(bytes.data(), bytes.size());
    ASSERT_EQ(DecodeResult::Ok, DecodeProps(source, kSlots, out));
    EXPECT_EQ(Sample(), out);
    EXPECT_EQ(bytes.size(), source.Consumed());   // reads no byte past its own data
}

TEST(PropCodec, EveryTruncationIsRefused) {
    std::vector<uint8_t> bytes = EncodeProps(kSlots, Sample());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> shortened(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        std::vector<PropValue> out;
        EXPECT_NE(DecodeResult::Ok, Decode(shortened, out)) << "cut at " << cut;
        EXPECT_TRUE(out.empty());
    }
}

TEST(PropCodec, LyingHeadersAndEntriesAreRefused) {
    const std::vector<uint8_t> good = EncodeProps(kSlots, Sample());
    std::vector<PropValue> out;

    std::vector<uint8_t> magic = good;
    magic[0] ^= 0xFF;
    EXPECT_EQ(DecodeResult::BadHeader, Decode(magic, out));

    std::vector<uint8_t> count = good;
    PutU32At(count, 4, 5);
    EXPECT_EQ(DecodeResult::BadHeader, Decode(count, out));

    std::vector<uint8_t> kind = good;
    kind[8] = static_cast<uint8_t>(PropKind::String);   // the version entry claims to be text
    EXPECT_NE(DecodeResult::Ok, Decode(kind, out));

    // strCode's length points far past the end of the stream.
    std::vector<uint8_t> length = good;
    PutU32At(length, 8 + 5 + 1, 1000);
    EXPECT_EQ(DecodeResult::Truncated, Decode(length, out));

    // An absurd length is refused before any allocation.
    std::vector<uint8_t> absurd = good;
    PutU32At(absurd, 8 + 5 + 1, 0xFFFFFFF0u);
    EXPECT_EQ(DecodeResult::TooLong, Decode(absurd, out));
    EXPECT_TRUE(out.empty());
}

TEST(PropCodec, StringsUpToTheCapRoundTripAndLongerOnesAreNotWritten) {
    std::vector<PropValue> values = Sample();
    values[1] = std::string(kMaxPropString, 'x');
    std::vector<uint8_t> bytes = EncodeProps(kSlots, values);
    std::vector<PropValue> out;
    ASSERT_EQ(DecodeResult::Ok, Decode(bytes, out));
    EXPECT_EQ(kMaxPropString, std::get<std::string>(out[1]).size());

    values[1] = std::string(kMaxPropString + 1, 'x');
    EXPECT_TRUE(EncodeProps(kSlots, values).empty());
}

TEST(PropCodec, ValuesOfTheWrongKindAreNotWritten) {
    std::vector<PropValue> values = Sample();
    values[2] = std::string("228");
    EXPECT_TRUE(EncodeProps(kSlots, values).empty());
    values.pop_back();
    EXPECT_TRUE(EncodeProps(kSlots, values).empty());
}
