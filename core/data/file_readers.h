// Acceptance rules of the info file and the intraday data file.
// Portable: no Windows header. Both readers take the file's bytes as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/stock_records.h"

// Largest download or data file accepted (far above a real day of 23,400 records).
inline constexpr std::size_t kMaxDataFileBytes = 16u * 1024u * 1024u;

// Why a reader kept or refused a file. The renderer's messages, the element's
// error reason and the tests read it.
struct FileVerdict {
    enum class Kind : uint8_t {
        Accepted,
        WrongLength,    // info file: not 128 bytes
        OtherCode,      // info file: for another code
        TooLarge,       // data file: over kMaxDataFileBytes
        NoRecord,       // data file: no whole record, or none to draw
        DateMismatch,   // data file: its date does not go with the info date
    };
    DayFile file = DayFile::Info;
    Kind kind = Kind::Accepted;
    uint64_t length = 0;         // the bytes the reader saw
    std::string requestedCode;   // OtherCode: the code asked for
    std::string fileCode;        //            and the one the file is for
    int32_t fileDate = 0;        // DateMismatch: the data file's date
    int32_t infoDate = 0;        //               and the info record's
    bool Accepted() const { return kind == Kind::Accepted; }
};
// "info file refused: 100 bytes, not 128", ...; empty for an accepted file.
std::string VerdictText(const FileVerdict& verdict);

// An instrument code becomes a file name and a URL path: only 1 to
// kMaxCodeLength ASCII letters and digits are accepted.
inline constexpr std::size_t kMaxCodeLength = 32;
bool IsValidStockCode(std::string_view code);

// The info file's rules: a file of exactly 128 bytes replaces `info`, any other
// length leaves it as it was; then the five-character code gains a leading '0';
// then a code that differs from requestedCode zeroes `info`. The verdict says
// whether the file was taken and why not.
FileVerdict AcceptInfoFile(const unsigned char* bytes, std::size_t length, std::string_view requestedCode,
                           StockInfo& info);

// The data file's rules: record count, date consistency test against
// info.date, the first-record rule and the bar synthesised from `info`.
// Calls addBar once per bar, in order. A file over kMaxDataFileBytes gives no
// bar. The verdict is Accepted when at least one bar was given.
using AddBarFn =
    std::function<void(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume)>;
FileVerdict ReadDataFile(const unsigned char* bytes, std::size_t length, const StockInfo& info, const AddBarFn& addBar);
