#include "data/file_readers.h"

#include <bit>
#include <cstring>

// Both files are little-endian and are read raw into the record layouts.
static_assert(std::endian::native == std::endian::little);

bool IsValidStockCode(std::string_view code) {
    if (code.empty() || code.size() > kMaxCodeLength) return false;
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

FileVerdict AcceptInfoFile(const unsigned char* bytes, std::size_t length, std::string_view requestedCode,
                           StockInfo& info) {
    FileVerdict verdict;
    verdict.file = DayFile::Info;
    verdict.length = bytes ? length : 0;
    const bool whole = bytes != nullptr && length == sizeof(StockInfo);
    if (whole) std::memcpy(&info, bytes, sizeof info);

    char buffer[7];
    std::string_view code = CodeOf(info, buffer);
    if (code.size() == 5) {
        info.code[0] = '0';
        std::memcpy(info.code + 1, buffer, 5);
        code = CodeOf(info, buffer);
    }
    if (!whole) verdict.kind = FileVerdict::Kind::WrongLength;
    if (code != requestedCode) {
        if (whole) {
            verdict.kind = FileVerdict::Kind::OtherCode;
            verdict.requestedCode = requestedCode;
            verdict.fileCode = code;
        }
        std::memset(&info, 0, sizeof info);
    }
    return verdict;
}

// Kept when the data date is the info date give or take 5, or falls in the
// following month or year. int64 so that no extreme date overflows.
static bool DatesAgree(int32_t dataDate, int32_t infoDate) {
    const int64_t s = dataDate;
    const int64_t d = infoDate;
    return s / 100 == d / 100 + 1 || s / 10000 == d / 10000 + 1 || (d - 5 <= s && s <= d + 5);
}

FileVerdict ReadDataFile(const unsigned char* bytes, std::size_t length, const StockInfo& info,
                         const AddBarFn& addBar) {
    FileVerdict verdict;
    verdict.file = DayFile::Data;
    verdict.length = bytes ? length : 0;
    verdict.kind = FileVerdict::Kind::NoRecord;
    if (bytes != nullptr && length > kMaxDataFileBytes) verdict.kind = FileVerdict::Kind::TooLarge;
    const std::size_t n = bytes != nullptr && length <= kMaxDataFileBytes ? length / sizeof(TickRecord) : 0;
    if (n == 0) return verdict;

    int32_t dataDate;
    std::memcpy(&dataDate, bytes, sizeof dataDate);
    if (!DatesAgree(dataDate, info.date)) {
        verdict.kind = FileVerdict::Kind::DateMismatch;
        verdict.fileDate = dataDate;
        verdict.infoDate = info.date;
        return verdict;
    }

    size_t bars = 0;
    for (std::size_t i = 0; i < n; ++i) {
        TickRecord r;
        std::memcpy(&r, bytes + i * sizeof(TickRecord), sizeof r);
        // The opening record counts only when it is the 09:00:00 one.
        if (i == 0 && r.time != 90000) continue;
        addBar(r.time, r.open, r.high, r.low, r.close, r.volume);
        ++bars;
    }
    // The info's snapshot closes the day; its date stands in the time field.
    if (info.date > 0 && dataDate <= info.date) {
        addBar(info.date, info.open, info.high, info.low, info.current, info.volume);
        ++bars;
    }
    if (bars > 0) verdict.kind = FileVerdict::Kind::Accepted;
    return verdict;
}

std::string VerdictText(const FileVerdict& v) {
    using Kind = FileVerdict::Kind;
    switch (v.kind) {
    case Kind::Accepted:
        return {};
    case Kind::WrongLength:
        // Readers may stop one byte past 128, so any longer file is "more".
        if (v.length > sizeof(StockInfo)) return "info file refused: more than 128 bytes";
        return "info file refused: " + std::to_string(v.length) + " bytes, not 128";
    case Kind::OtherCode:
        return "info file refused: it is for code '" + v.fileCode + "', not " + v.requestedCode;
    case Kind::TooLarge:
        return "data file refused: larger than 16 MiB";
    case Kind::NoRecord:
        if (v.length < sizeof(TickRecord)) return "data file refused: no whole record";
        return "data file refused: no record to draw";
    case Kind::DateMismatch:
        return "data file refused: its date " + std::to_string(v.fileDate) + " does not go with the info date " +
               std::to_string(v.infoDate);
    }
    return {};
}
