#include "data/file_readers.h"

#include <bit>
#include <cstring>

// Both files are little-endian and are read raw into the record layouts.
static_assert(std::endian::native == std::endian::little);

bool IsValidStockCode(std::string_view code) {
    if (code.empty() || code.size() > 32) return false;
    for (char c : code) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!digit && !letter) return false;
    }
    return true;
}

// The code field as a C string: at most its 6 bytes, then a NUL.
static std::string_view CodeOf(const StockInfo& info, char (&buffer)[7]) {
    std::memcpy(buffer, info.code, 6);
    buffer[6] = '\0';
    return std::string_view(buffer, std::strlen(buffer));
}

void AcceptInfoFile(const unsigned char* bytes, std::size_t length, std::string_view requestedCode,
                    StockInfo& info) {
    if (bytes != nullptr && length == sizeof(StockInfo)) std::memcpy(&info, bytes, sizeof info);

    char buffer[7];
    std::string_view code = CodeOf(info, buffer);
    if (code.size() == 5) {
        info.code[0] = '0';
        std::memcpy(info.code + 1, buffer, 5);
        code = CodeOf(info, buffer);
    }
    if (code != requestedCode) std::memset(&info, 0, sizeof info);
}

// Kept when the data date is the info date give or take 5, or falls in the
// following month or year. int64 so that no extreme date overflows.
static bool DatesAgree(int32_t dataDate, int32_t infoDate) {
    const int64_t s = dataDate;
    const int64_t d = infoDate;
    return s / 100 == d / 100 + 1 || s / 10000 == d / 10000 + 1 || (d - 5 <= s && s <= d + 5);
}

void ReadDataFile(const unsigned char* bytes, std::size_t length, const StockInfo& info,
                  const AddBarFn& addBar) {
    if (bytes == nullptr || length > kMaxDataFileBytes) return;
    const std::size_t n = length / sizeof(TickRecord);
    if (n == 0) return;

    int32_t dataDate;
    std::memcpy(&dataDate, bytes, sizeof dataDate);
    if (!DatesAgree(dataDate, info.date)) return;

    for (std::size_t i = 0; i < n; ++i) {
        TickRecord r;
        std::memcpy(&r, bytes + i * sizeof(TickRecord), sizeof r);
        // The opening record counts only when it is the 09:00:00 one.
        if (i == 0 && r.time != 90000) continue;
        addBar(r.time, r.open, r.high, r.low, r.close, r.volume);
    }
    // The info's snapshot closes the day; its date stands in the time field.
    if (info.date > 0 && dataDate <= info.date)
        addBar(info.date, info.open, info.high, info.low, info.current, info.volume);
}
