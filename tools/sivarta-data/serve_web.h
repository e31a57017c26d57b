// The data server's side for pages in today's browsers: a CORS origin for
// pages served elsewhere, and a folder served beside the data (the web
// component and its demo page) so both come from one origin.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tools/sivarta-data/commands.h"

struct WebServing {
    std::string corsOrigin;   // empty: no CORS header
    std::optional<std::filesystem::path> webRoot;
};

// Reads --cors ORIGIN ("*" or scheme://host[:port]) and --web DIR; prints the
// fault and returns nullopt on a bad value.
std::optional<WebServing> ReadWebServing(const Options& options);

// The folder a request path is served from and the path inside it: the data
// root for /sisefile/..., the web folder for everything else when there is one
// ("/" being its index.html).
std::pair<const std::filesystem::path*, std::string> ServedFrom(const WebServing& web,
                                                                const std::filesystem::path& dataRoot,
                                                                const std::string& urlPath);

// The content type a browser needs for a file: module scripts and
// WebAssembly are refused under a generic type.
const char* ContentTypeFor(const std::filesystem::path& file);
