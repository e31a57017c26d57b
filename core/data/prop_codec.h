// The binary form of a control's persisted properties, as stored in a stream.
// Portable: no Windows header.
//
// Layout (all integers little-endian):
//   u32 magic   "SVPX" (0x58505653)
//   u32 count   number of entries that follow; must equal the exchange's
//   per entry, in exchange order:
//     u8 kind   0 = I4, 1 = string
//     I4:       i32 value
//     string:   u32 byte length (at most kMaxPropString), then the bytes
//               (8-bit ANSI text, no terminator)
// Names are not stored: the exchange order is the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

enum class PropKind : uint8_t { I4 = 0, String = 1 };

struct PropSlot {
    std::string name;
    PropKind kind;
};

using PropValue = std::variant<int32_t, std::string>;

constexpr uint32_t kPropStreamMagic = 0x58505653;
// No real property comes near this; anything longer is refused, not truncated.
constexpr size_t kMaxPropString = 1024 * 1024;

// Where the decoder reads from: Read fills exactly n bytes or returns false.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual bool Read(void* dst, size_t n) = 0;
};

enum class DecodeResult { Ok, Truncated, BadHeader, BadEntry, TooLong };

// The encoded bytes of values (one per slot, of the slot's kind). Returns an
// empty vector when a value does not match its slot or a string is too long.
std::vector<uint8_t> EncodeProps(const std::vector<PropSlot>& slots, const std::vector<PropValue>& values);
// Size EncodeProps would produce.
uint64_t EncodedPropsSize(const std::vector<PropValue>& values);
// Reads one encoded property set. `out` is filled only when the result is Ok.
DecodeResult DecodeProps(ByteSource& source, const std::vector<PropSlot>& slots, std::vector<PropValue>& out);

// A ByteSource over a memory block.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : data(static_cast<const uint8_t*>(data)), size(size) {}
    bool Read(void* dst, size_t n) override;
    size_t Consumed() const { return pos; }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};
