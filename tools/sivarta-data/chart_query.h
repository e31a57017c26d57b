// The chart endpoint's request rules, apart from the server: the query's
// options, the cache key and the entity tag.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/chart_render.h"
#include "render/day_read.h"

struct ChartQuery {
    RenderRequest request;
    std::string options;   // canonical: size and every display property, in table order
};

// The request for `code` with `params` (names ignoring case: w, h and the
// display properties), or the reason for a 400: bad code, size, name or value,
// or a parameter given twice.
std::optional<std::string> ParseChartQuery(std::string_view code,
                                           const std::vector<std::pair<std::string, std::string>>& params,
                                           ChartQuery& query);

// What one picture depends on: code, options and both files' stamps.
std::string ChartKey(const ChartQuery& query, const FileStamp& info, const FileStamp& data);

// A strong entity tag for a key, quoted.
std::string ChartEtag(std::string_view key);

// Does an If-None-Match value ("*" or a list of tags, weak or strong) name the tag?
bool EtagMatches(std::string_view ifNoneMatch, std::string_view etag);
