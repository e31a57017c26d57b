// Files under a root as HTTP answers: opened without blocking and checked
// on the open descriptor (a FIFO or device is never read), with ETag and
// Last-Modified from that descriptor, 304 for a matching condition and one
// byte range as RFC 9110 has it.
#pragma once

#include <filesystem>
#include <string>

#include "tools/sivarta-data/http_server.h"

// `urlPath` is the decoded path inside `root`; `cacheControl` goes on every
// answer for a file (empty: none).
HttpAnswer AnswerFile(const std::filesystem::path& root, const std::string& urlPath, const HttpRequest& req,
                      const std::string& contentType, const std::string& cacheControl);
