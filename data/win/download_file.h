// HTTP GET of one resource into a local file over WinINet.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "data/file_readers.h"

// Bounds of one download. The defaults: 10 s to connect, 15 s for each send
// and each receive, and kMaxDataFileBytes of body (a real day is ~650 KB).
struct DownloadLimits {
    DWORD connectTimeoutMs = 10000;
    DWORD sendTimeoutMs = 15000;
    DWORD receiveTimeoutMs = 15000;
    uint64_t maxBytes = kMaxDataFileBytes;
};

// Copies the body of an http URL into the file at path. Returns exactly "YES"
// when the whole body of a 2xx answer was copied; "NO" for a URL that is not
// http or https; otherwise a text that says what failed. On any failure no
// file is left at path.
std::string DownloadToFile(const std::string& url, const std::string& path, const DownloadLimits& limits);
