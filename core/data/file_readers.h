// Acceptance rules of the info file and the intraday data file.
// Portable: no Windows header. Both readers take the file's bytes as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "data/stock_records.h"

// Largest download or data file accepted (far above a real day of 23,400 records).
inline constexpr std::size_t kMaxDataFileBytes = 16u * 1024u * 1024u;

// An instrument code becomes a file name and a URL path: only 1 to 32 ASCII
// letters and digits are accepted.
bool IsValidStockCode(std::string_view code);

// The info file's rules: a file of exactly 128 bytes replaces `info`, any other
// length leaves it as it was; then the five-character code gains a leading '0';
// then a code that differs from requestedCode zeroes `info`.
void AcceptInfoFile(const unsigned char* bytes, std::size_t length, std::string_view requestedCode,
                    StockInfo& info);

// The data file's rules: record count, date consistency test against
// info.date, the first-record rule and the bar synthesised from `info`.
// Calls addBar once per bar, in order. A file over kMaxDataFileBytes gives no bar.
using AddBarFn = std::function<void(int32_t time, int32_t open, int32_t high, int32_t low,
                                    int32_t close, int32_t volume)>;
void ReadDataFile(const unsigned char* bytes, std::size_t length, const StockInfo& info,
                  const AddBarFn& addBar);
