// HTTP rules the data server applies, apart from any socket: request
// targets, byte ranges, dates, entity tags and conditional requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/day_read.h"

// A whole decimal number without sign or spaces, or nothing.
std::optional<uint64_t> ParseDecimal(std::string_view text);

// Splits and decodes a request target ("/path?name=value&..."): the 400 text
// for an escape that is not two hex digits or that decodes to NUL.
std::optional<std::string> SplitTarget(std::string_view target, std::string& path,
                                       std::vector<std::pair<std::string, std::string>>& query);

// What a Range header asks of a file of `size` bytes. One satisfiable range
// is served as 206; several ranges, a malformed header or none get the whole
// file; a single range past the end gets 416.
struct RangeChoice {
    enum Kind { Whole, Part, Unsatisfiable } kind = Whole;
    uint64_t first = 0, last = 0;   // inclusive, for Part
};
RangeChoice ChooseRange(std::string_view range, uint64_t size);

// IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT") from Unix seconds, and back
// (the two obsolete forms are not accepted: nothing is then assumed).
std::string HttpDate(int64_t unixSeconds);
std::optional<int64_t> ParseHttpDate(std::string_view text);

// A strong tag for a file's stamp, quoted: any change of size, inode or
// either time changes it.
std::string FileEtag(const FileStamp& stamp);

// Whether a GET for a file with `etag` modified at `modifiedSeconds` is
// answered 304: If-None-Match decides when present, else If-Modified-Since.
bool NotModified(const std::optional<std::string>& ifNoneMatch, const std::optional<std::string>& ifModifiedSince,
                 std::string_view etag, int64_t modifiedSeconds);

// Whether If-Range lets a Range apply: the same strong tag, or the file's
// Last-Modified date exactly.
bool RangeStillApplies(std::string_view ifRange, std::string_view etag, int64_t modifiedSeconds);
