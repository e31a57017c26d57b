#include "tools/sivarta-data/http_rules.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "tools/sivarta-data/chart_query.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Decode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            c = ' ';
        }
        if (c == '\0') return std::nullopt;
        out += c;
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}   // namespace

std::optional<uint64_t> ParseDecimal(std::string_view text) {
    uint64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::optional<std::string> SplitTarget(std::string_view target, std::string& path,
                                       std::vector<std::pair<std::string, std::string>>& query) {
    const size_t mark = target.find('?');
    const auto decodedPath = Decode(target.substr(0, mark), false);
    if (!decodedPath) return "bad request path: an escape is not two hex digits or is a NUL";
    path = *decodedPath;
    query.clear();
    if (mark == std::string_view::npos) return std::nullopt;
    std::string_view rest = target.substr(mark + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        const auto name = Decode(pair.substr(0, eq), true);
        const auto value = Decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), true);
        if (!name || !value) return "bad query: an escape is not two hex digits or is a NUL";
        query.emplace_back(*name, *value);
    }
    return std::nullopt;
}

RangeChoice ChooseRange(std::string_view range, uint64_t size) {
    range = Trim(range);
    if (range.substr(0, 6) != "bytes=") return {};
    const std::string_view ranges = Trim(range.substr(6));
    // Several ranges would need a multipart body; the whole file is the
    // answer RFC 9110 allows, and it is never larger than the file.
    if (ranges.find(',') != std::string_view::npos) return {};
    const size_t dash = ranges.find('-');
    if (dash == std::string_view::npos) return {};
    const std::string_view firstText = Trim(ranges.substr(0, dash)), lastText = Trim(ranges.substr(dash + 1));
    RangeChoice choice{RangeChoice::Part, 0, 0};
    if (firstText.empty()) {   // the last N bytes
        const auto suffix = ParseDecimal(lastText);
        if (!suffix) return {};
        if (*suffix == 0 || size == 0) return {RangeChoice::Unsatisfiable};
        choice.first = *suffix >= size ? 0 : size - *suffix;
        choice.last = size - 1;
        return choice;
    }
    const auto first = ParseDecimal(firstText);
    if (!first) return {};
    auto last = lastText.empty() ? std::optional<uint64_t>(UINT64_MAX) : ParseDecimal(lastText);
    if (!last || *last < *first) return {};
    if (*first >= size) return {RangeChoice::Unsatisfiable};
    choice.first = *first;
    choice.last = std::min(*last, size - 1);
    return choice;
}

std::string HttpDate(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm utc {};
    gmtime_r(&t, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday], utc.tm_mday,
                  kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::optional<int64_t> ParseHttpDate(std::string_view text) {
    text = Trim(text);
    // "Sun, 06 Nov 1994 08:49:37 GMT": fixed positions.
    if (text.size() != 29 || text.substr(3, 2) != ", " || text.substr(25) != " GMT") return std::nullopt;
    const auto number = [&](size_t at, size_t length) { return ParseDecimal(text.substr(at, length)); };
    struct tm utc {};
    int month = -1;
    for (int m = 0; m < 12; ++m)
        if (text.substr(8, 3) == kMonths[m]) month = m;
    const auto day = number(5, 2), year = number(12, 4), hour = number(17, 2), minute = number(20, 2),
               second = number(23, 2);
    if (month < 0 || !day || !year || !hour || !minute || !second || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 ||
        *second > 60)
        return std::nullopt;
    utc.tm_year = static_cast<int>(*year) - 1900;
    utc.tm_mon = month;
    utc.tm_mday = static_cast<int>(*day);
    utc.tm_hour = static_cast<int>(*hour);
    utc.tm_min = static_cast<int>(*minute);
    utc.tm_sec = static_cast<int>(*second);
    return static_cast<int64_t>(timegm(&utc));
}

std::string FileEtag(const FileStamp& v) {
    char text[80];
    std::snprintf(text, sizeof text, "\"%llx-%llx-%llx-%llx\"", static_cast<unsigned long long>(v.inode),
                  static_cast<unsigned long long>(v.size), static_cast<unsigned long long>(v.modifiedNs),
                  static_cast<unsigned long long>(v.changedNs));
    return text;
}

bool NotModified(const std::optional<std::string>& ifNoneMatch, const std::optional<std::string>& ifModifiedSince,
                 std::string_view etag, int64_t modifiedSeconds) {
    if (ifNoneMatch) return EtagMatches(*ifNoneMatch, etag);
    if (!ifModifiedSince) return false;
    const auto since = ParseHttpDate(*ifModifiedSince);
    return since && modifiedSeconds <= *since;
}

bool RangeStillApplies(std::string_view ifRange, std::string_view etag, int64_t modifiedSeconds) {
    ifRange = Trim(ifRange);
    if (!ifRange.empty() && ifRange.front() == '"') return ifRange == etag;   // strong comparison
    if (ifRange.substr(0, 2) == "W/") return false;
    const auto date = ParseHttpDate(ifRange);
    return date && *date == modifiedSeconds;
}
