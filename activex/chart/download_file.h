// HTTP GET of one resource into a local file over WinINet.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "data/day_source.h"
#include "activex/framework/internet.h"

// Bounds of one download, the core's load limits by default: 10 s to
// connect, 15 s for each send and each receive, 30 s for the whole download
// (a server that drips bytes never holds the caller longer), and
// kMaxDataFileBytes of body (a real day is ~650 KB).
struct DownloadLimits {
    DWORD connectTimeoutMs = static_cast<DWORD>(kLoadLimits.connectMs);
    DWORD sendTimeoutMs = static_cast<DWORD>(kLoadLimits.sendMs);
    DWORD receiveTimeoutMs = static_cast<DWORD>(kLoadLimits.receiveMs);
    DWORD deadlineMs = static_cast<DWORD>(kLoadLimits.fileMs);
    uint64_t maxBytes = kLoadLimits.maxBytes;
};

// How a download ended. Text() is the loader's outcome string: exactly "YES"
// for a complete body, "NO" for a URL that is not http or https, otherwise
// what failed.
struct DownloadResult {
    enum class Kind { Complete, NotHttp, Failed };
    Kind kind = Kind::Failed;
    std::string error;

    static DownloadResult Complete() { return {Kind::Complete, {}}; }
    static DownloadResult Failure(std::string text) { return {Kind::Failed, std::move(text)}; }
    bool IsComplete() const { return kind == Kind::Complete; }
    std::string Text() const;
};

// The WinINet handle (InternetOpen) the downloads of one load share: WinINet
// sets itself up once per load, not once per file. Opened on first use.
class SharedInternet {
public:
    HINTERNET Handle();
    void Close() { internet.Reset(); }

private:
    InternetHandle internet;
};

// Copies the body of an http URL into the file at path (created or
// truncated). Complete only when the whole body of a 2xx answer arrived; on
// any failure no file is left at path.
DownloadResult DownloadToFile(const std::string& url, const std::string& path, const DownloadLimits& limits,
                              SharedInternet& internetRoot);
DownloadResult DownloadToFile(const std::string& url, const std::string& path, const DownloadLimits& limits);
