// The download: a connection and a request per file on the load's WinINet handle, the body copied in
// 8192-byte pieces. Beyond a plain copy it refuses non-2xx answers, bounds the
// time (each call and the whole download) and the size, notices a body cut
// short, and never leaves a partial file.
#include "activex/chart/download_file.h"

#include <winsock2.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>

#include "activex/framework/app_name.h"
#include "activex/framework/file.h"
#include "activex/framework/internet.h"

namespace {

constexpr DWORD kChunkBytes = 8192;

std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The server's own words, for ERROR_INTERNET_EXTENDED_ERROR.
std::string LastResponseInfo() {
    DWORD error = 0;
    DWORD length = 0;
    InternetGetLastResponseInfoA(&error, nullptr, &length);
    std::string text(length + 1, '\0');
    if (!InternetGetLastResponseInfoA(&error, text.data(), &length)) return {};
    text.resize(length);
    return TrimEnd(text);
}

// Some WinINets pass socket errors through; they mean WinINet's own.
DWORD AsInternetError(DWORD error) {
    switch (error) {
    case WSAETIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case WSAECONNRESET:
        return ERROR_INTERNET_CONNECTION_RESET;
    case WSAECONNABORTED:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case WSAECONNREFUSED:
        return ERROR_INTERNET_CANNOT_CONNECT;
    default:
        return error;
    }
}

// The system's text for an error code; WinINet's codes are in wininet.dll.
std::string ErrorText(DWORD error) {
    error = AsInternetError(error);
    if (error == ERROR_INTERNET_EXTENDED_ERROR) {
        if (std::string info = LastResponseInfo(); !info.empty()) return info;
    }
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE source = nullptr;
    if (error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST) {
        source = GetModuleHandleA("wininet.dll");
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    } else {
        flags |= FORMAT_MESSAGE_FROM_SYSTEM;
    }
    char* buffer = nullptr;
    DWORD n = FormatMessageA(flags, source, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? TrimEnd(std::string(buffer, n)) : std::string();
    if (buffer) LocalFree(buffer);
    if (text.empty()) text = "Error " + std::to_string(error);
    return text;
}

bool IsHttpUrl(const std::string& url) {
    auto startsWith = [&](const char* prefix) {
        size_t n = lstrlenA(prefix);
        return url.size() > n && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, url.data(), static_cast<int>(n),
                                                prefix, static_cast<int>(n)) == CSTR_EQUAL;
    };
    return startsWith("http://") || startsWith("https://");
}

void SetTimeouts(HINTERNET handle, const DownloadLimits& limits) {
    DWORD connect = limits.connectTimeoutMs;
    DWORD send = limits.sendTimeoutMs;
    DWORD receive = limits.receiveTimeoutMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

struct UrlParts {
    std::string host;
    std::string object;   // path and query
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts& parts) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = host;
    components.dwHostNameLength = sizeof host;
    components.dwUrlPathLength = 1;   // non-zero: point into url
    components.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
    parts.host = host;
    parts.port = components.nPort;
    parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    if (components.lpszUrlPath) parts.object.assign(components.lpszUrlPath, components.dwUrlPathLength);
    if (components.lpszExtraInfo) parts.object.append(components.lpszExtraInfo, components.dwExtraInfoLength);
    if (parts.object.empty()) parts.object = "/";
    return true;
}

// The announced body length, when the answer has one.
bool ContentLength(HINTERNET request, uint64_t& length) {
    char text[32] = {};
    DWORD size = sizeof text;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return false;
    char* end = nullptr;
    length = std::strtoull(text, &end, 10);
    return end != text;
}

// Whether the headers end the body at the connection's close. Without a
// length, only such an answer (or a chunked one, which WinINet delimits) can
// tell a complete body from one cut short.
bool EndsAtClose(HINTERNET request) {
    char text[64] = {};
    DWORD size = sizeof text;
    if (HttpQueryInfoA(request, HTTP_QUERY_TRANSFER_ENCODING, text, &size, nullptr) && StrStrIA(text, "chunked"))
        return true;
    size = sizeof text;
    text[0] = '\0';
    if (HttpQueryInfoA(request, HTTP_QUERY_CONNECTION, text, &size, nullptr)) return StrStrIA(text, "close") != nullptr;
    // HTTP/1.0 closes unless it asked to keep the connection.
    size = sizeof text;
    return HttpQueryInfoA(request, HTTP_QUERY_VERSION, text, &size, nullptr) && lstrcmpiA(text, "HTTP/1.0") == 0;
}

DownloadResult TooLarge(uint64_t maxBytes) {
    return DownloadResult::Failure("The answer is larger than " + std::to_string(maxBytes) + " bytes");
}

// The whole download's time limit, on top of the per-call time-outs.
class Deadline {
public:
    explicit Deadline(DWORD ms) : end(GetTickCount64() + ms), total(ms) {}
    // Milliseconds left (0 when past).
    DWORD Left() const {
        ULONGLONG now = GetTickCount64();
        return now >= end ? 0 : static_cast<DWORD>(end - now);
    }
    // No single wait may run past the deadline.
    DWORD Cap(DWORD timeoutMs) const { return std::max<DWORD>(1, std::min(timeoutMs, Left())); }
    DownloadResult Failure() const {
        return DownloadResult::Failure("The download took longer than " + std::to_string(total / 1000) + " s");
    }

private:
    ULONGLONG end;
    DWORD total;
};

void SetReceiveTimeout(HINTERNET request, DWORD ms) {
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
}

DownloadResult CopyBody(HINTERNET request, HANDLE file, const DownloadLimits& limits, const Deadline& deadline,
                        uint64_t& copied) {
    char buffer[kChunkBytes];
    for (;;) {
        if (deadline.Left() == 0) return deadline.Failure();
        SetReceiveTimeout(request, deadline.Cap(limits.receiveTimeoutMs));
        // A read waits until its buffer is full or the body ends, however
        // slowly the bytes come: ask only for what has arrived, so the
        // deadline is looked at between the server's pieces.
        DWORD available = 0;
        DWORD got = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0) ||
            !InternetReadFile(request, buffer, available ? std::min<DWORD>(available, sizeof buffer) : sizeof buffer,
                              &got))
            return deadline.Left() == 0 ? deadline.Failure() : DownloadResult::Failure(ErrorText(GetLastError()));
        if (got == 0) return DownloadResult::Complete();
        if (copied + got > limits.maxBytes) return TooLarge(limits.maxBytes);
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr)) return DownloadResult::Failure(ErrorText(GetLastError()));
        if (written != got) return DownloadResult::Failure(ErrorText(ERROR_HANDLE_DISK_FULL));
        copied += got;
        Sleep(0);
    }
}

DownloadResult Failure(DWORD error) {
    return DownloadResult::Failure(ErrorText(error));
}

DownloadResult Fetch(const std::string& url, const std::string& path, const DownloadLimits& limits,
                     SharedInternet& internetRoot) {
    const Deadline deadline(limits.deadlineMs);
    DownloadLimits capped = limits;
    capped.connectTimeoutMs = deadline.Cap(limits.connectTimeoutMs);
    capped.sendTimeoutMs = deadline.Cap(limits.sendTimeoutMs);
    capped.receiveTimeoutMs = deadline.Cap(limits.receiveTimeoutMs);
    HINTERNET internet = internetRoot.Handle();
    if (!internet) return Failure(GetLastError());
    SetTimeouts(internet, capped);

    // The steps of InternetOpenUrl taken one by one, so that the time-outs can
    // be set on the request itself (some WinINets ignore them on the InternetOpen handle).
    UrlParts parts;
    if (!CrackUrl(url, parts)) return Failure(GetLastError());
    InternetHandle connection(
        InternetConnectA(internet, parts.host.c_str(), parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) return Failure(GetLastError());
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY | (parts.secure ? INTERNET_FLAG_SECURE : 0);
    InternetHandle request(
        HttpOpenRequestA(connection.Get(), "GET", parts.object.c_str(), nullptr, nullptr, nullptr, flags, 1));
    if (!request) return Failure(GetLastError());
    SetTimeouts(request.Get(), capped);
    if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0))
        return deadline.Left() == 0 ? deadline.Failure() : Failure(GetLastError());

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return Failure(GetLastError());
    // An error page is not the file.
    if (status < 200 || status > 299) return DownloadResult::Failure("HTTP status " + std::to_string(status));

    uint64_t announced = 0;
    bool hasLength = ContentLength(request.Get(), announced);
    if (hasLength && announced > limits.maxBytes) return TooLarge(limits.maxBytes);
    if (!hasLength && !EndsAtClose(request.Get()))
        return DownloadResult::Failure("The answer has no length and its end cannot be told from a cut");

    FileHandle file(CreateFileForWrite(path));
    if (!file.IsOpen()) return Failure(GetLastError());
    uint64_t copied = 0;
    DownloadResult result = CopyBody(request.Get(), file.Get(), limits, deadline, copied);
    if (!file.Close() && result.IsComplete()) result = Failure(GetLastError());
    // A connection closed early can look like a normal end of the body.
    if (result.IsComplete() && hasLength && copied != announced)
        result = DownloadResult::Failure("The connection closed after " + std::to_string(copied) + " of " +
                                         std::to_string(announced) + " bytes");
    return result;
}

}   // namespace

std::string DownloadResult::Text() const {
    switch (kind) {
    case Kind::Complete:
        return "YES";
    case Kind::NotHttp:
        return "NO";
    default:
        return error;
    }
}

HINTERNET SharedInternet::Handle() {
    if (!internet) internet.Reset(InternetOpenA(AppName().c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return internet.Get();
}

DownloadResult DownloadToFile(const std::string& url, const std::string& path, const DownloadLimits& limits) {
    SharedInternet internetRoot;
    return DownloadToFile(url, path, limits, internetRoot);
}

DownloadResult DownloadToFile(const std::string& url, const std::string& path, const DownloadLimits& limits,
                              SharedInternet& internetRoot) {
    DownloadResult result =
        IsHttpUrl(url) ? Fetch(url, path, limits, internetRoot) : DownloadResult{DownloadResult::Kind::NotHttp, {}};
    // Stale or partial bytes must never be read as the file.
    if (!result.IsComplete()) DeleteFileAnyLength(path);
    return result;
}
