#include "tools/sivarta-data/chart_query.h"

#include <charconv>
#include <cstdio>

#include "data/file_readers.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::optional<int32_t> ParseSide(std::string_view text) {
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < 1 || v > kMaxRenderSide)
        return std::nullopt;
    return v;
}

// The parameter's canonical name: "w", "h" or the property's own spelling.
std::optional<std::string> CanonicalName(std::string_view name) {
    if (EqualsIgnoringCase(name, "w")) return "w";
    if (EqualsIgnoringCase(name, "h")) return "h";
    const PropertyInfo* property = FindProperty(name);
    if (!property || property->use != PropUse::Display) return std::nullopt;
    return property->name;
}

std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

// Display values only (no size, code, click or load setting): the text the
// cache key and the entity tag are made from.
std::string CanonicalOptions(const RenderRequest& r) {
    std::string out = "w=" + std::to_string(r.width) + "&h=" + std::to_string(r.height);
    for (const PropertyInfo& p : PropertyTable()) {
        if (p.use != PropUse::Display) continue;
        out += '&';
        out += p.name;
        out += '=';
        // Strings carry their length, so no value can pass for other fields.
        if (p.string)
            out += std::to_string((r.settings.*p.string).size()) + ':' + r.settings.*p.string;
        else
            out += std::to_string(r.settings.*p.number);
    }
    return out;
}

}   // namespace

std::optional<std::string> ParseChartQuery(std::string_view code,
                                           const std::vector<std::pair<std::string, std::string>>& params,
                                           ChartQuery& query) {
    if (!IsValidStockCode(code)) return "bad code: use 1 to 32 ASCII letters and digits";
    RenderRequest& r = query.request;
    r.code = std::string(code);
    std::vector<std::string> seen;
    for (const auto& [name, value] : params) {
        const auto canonical = CanonicalName(name);
        if (!canonical) return "unknown parameter " + name;
        for (const std::string& s : seen)
            if (s == *canonical) return "parameter " + *canonical + " given twice";
        seen.push_back(*canonical);
        if (*canonical == "w" || *canonical == "h") {
            const auto side = ParseSide(value);
            if (!side)
                return "bad size: " + *canonical + " is a whole number from 1 to " + std::to_string(kMaxRenderSide);
            (*canonical == "w" ? r.width : r.height) = *side;
            continue;
        }
        if (auto fault = SetPropertyText(r.settings, *FindProperty(*canonical), value))
            return "bad " + *canonical + ": " + *fault;
    }
    query.options = CanonicalOptions(r);
    return std::nullopt;
}

std::string ChartKey(const ChartQuery& query, const FileStamp& info, const FileStamp& data) {
    const auto stamp = [](const FileStamp& s) {
        return std::to_string(s.size) + ':' + std::to_string(s.modifiedNs) + ':' + std::to_string(s.inode) + ':' +
               std::to_string(s.changedNs);
    };
    return query.request.code + '?' + query.options + '|' + stamp(info) + '|' + stamp(data);
}

std::string ChartEtag(std::string_view key) {
    // FNV-1a over the renderer's version and the key: a new build may draw
    // differently, so its tags differ.
    uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::string_view s) {
        for (unsigned char c : s) hash = (hash ^ c) * 0x100000001b3ull;
    };
    mix(SIVARTA_VERSION);
    mix("\n");
    mix(key);
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return text;
}

bool EtagMatches(std::string_view ifNoneMatch, std::string_view etag) {
    size_t start = 0;
    while (start <= ifNoneMatch.size()) {
        const size_t comma = std::min(ifNoneMatch.find(',', start), ifNoneMatch.size());
        std::string tag = Trim(ifNoneMatch.substr(start, comma - start));
        if (tag == "*") return true;
        if (tag.rfind("W/", 0) == 0) tag.erase(0, 2);   // If-None-Match compares weakly
        if (tag == etag) return true;
        start = comma + 1;
    }
    return false;
}
