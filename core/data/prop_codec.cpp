#include "data/prop_codec.h"

#include <cstring>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool GetU32(ByteSource& source, uint32_t& v) {
    uint8_t b[4];
    if (!source.Read(b, 4)) return false;
    v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
        static_cast<uint32_t>(b[3]) << 24;
    return true;
}

}   // namespace

std::vector<uint8_t> EncodeProps(const std::vector<PropSlot>& slots, const std::vector<PropValue>& values) {
    if (slots.size() != values.size()) return {};
    std::vector<uint8_t> out;
    PutU32(out, kPropStreamMagic);
    PutU32(out, static_cast<uint32_t>(slots.size()));
    for (size_t i = 0; i < slots.size(); ++i) {
        out.push_back(static_cast<uint8_t>(slots[i].kind));
        if (slots[i].kind == PropKind::I4) {
            const int32_t* v = std::get_if<int32_t>(&values[i]);
            if (!v) return {};
            PutU32(out, static_cast<uint32_t>(*v));
        } else {
            const std::string* s = std::get_if<std::string>(&values[i]);
            if (!s || s->size() > kMaxPropString) return {};
            PutU32(out, static_cast<uint32_t>(s->size()));
            out.insert(out.end(), s->begin(), s->end());
        }
    }
    return out;
}

uint64_t EncodedPropsSize(const std::vector<PropValue>& values) {
    uint64_t size = 8;
    for (const PropValue& v : values) {
        size += 5;
        if (const std::string* s = std::get_if<std::string>(&v)) size += s->size();
    }
    return size;
}

DecodeResult DecodeProps(ByteSource& source, const std::vector<PropSlot>& slots, std::vector<PropValue>& out) {
    uint32_t magic = 0, count = 0;
    if (!GetU32(source, magic) || !GetU32(source, count)) return DecodeResult::Truncated;
    if (magic != kPropStreamMagic || count != slots.size()) return DecodeResult::BadHeader;
    std::vector<PropValue> values;
    values.reserve(slots.size());
    for (const PropSlot& slot : slots) {
        uint8_t kind = 0;
        uint32_t word = 0;
        if (!source.Read(&kind, 1) || !GetU32(source, word)) return DecodeResult::Truncated;
        if (kind != static_cast<uint8_t>(slot.kind)) return DecodeResult::BadEntry;
        if (slot.kind == PropKind::I4) {
            values.emplace_back(static_cast<int32_t>(word));
            continue;
        }
        // Check the length before allocating: a lying length must not cost memory.
        if (word > kMaxPropString) return DecodeResult::TooLong;
        std::string text(word, '\0');
        if (word && !source.Read(text.data(), word)) return DecodeResult::Truncated;
        values.emplace_back(std::move(text));
    }
    out = std::move(values);
    return DecodeResult::Ok;
}

bool MemorySource::Read(void* dst, size_t n) {
    if (n > size - pos) return false;
    std::memcpy(dst, data + pos, n);
    pos += n;
    return true;
}
