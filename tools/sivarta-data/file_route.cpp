#include "tools/sivarta-data/file_route.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "render/day_read.h"
#include "tools/sivarta-data/http_rules.h"

namespace fs = std::filesystem;

namespace {

// Is `path` the root itself or inside it? Both are canonical.
bool IsUnder(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p)
        if (p == path.end() || *r != *p) return false;
    return true;
}

// Maps a URL path onto a file under root. 403 for anything that could leave
// the root (dot segments, backslashes, symlinks out), 404 for what is not there.
int Resolve(const fs::path& root, const std::string& urlPath, fs::path& file) {
    if (urlPath.empty() || urlPath.front() != '/' || urlPath.find('\\') != std::string::npos) return 403;
    fs::path relative;
    std::size_t start = 1;
    while (start <= urlPath.size()) {
        const std::size_t slash = std::min(urlPath.find('/', start), urlPath.size());
        const std::string segment = urlPath.substr(start, slash - start);
        if (segment == "." || segment == "..") return 403;
        if (!segment.empty()) relative /= segment;
        start = slash + 1;
    }
    std::error_code ec;
    const fs::path candidate = fs::canonical(root / relative, ec);
    if (ec) return 404;
    if (!IsUnder(root, candidate)) return 403;
    file = candidate;
    return 200;
}

}   // namespace

HttpAnswer AnswerFile(const fs::path& root, const std::string& urlPath, const HttpRequest& req,
                      const std::string& contentType, const std::string& cacheControl) {
    fs::path path;
    if (const int status = Resolve(root, urlPath, path); status != 200)
        return HttpAnswer::Text(status, status == 403 ? "refused" : "not found");
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.Get() < 0 || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return HttpAnswer::Text(404, "not found");
    const FileStamp stamp = *StampOfDescriptor(file.Get());
    const std::string etag = FileEtag(stamp);
    const int64_t modified = st.st_mtim.tv_sec;

    HttpAnswer answer;
    answer.With("ETag", etag).With("Last-Modified", HttpDate(modified)).With("Accept-Ranges", "bytes");
    if (!cacheControl.empty()) answer.With("Cache-Control", cacheControl);
    if (NotModified(req.Header("If-None-Match"), req.Header("If-Modified-Since"), etag, modified)) {
        answer.status = 304;
        return answer;
    }
    answer.With("Content-Type", contentType);
    const uint64_t size = stamp.size;
    RangeChoice range;
    if (const auto rangeHeader = req.Header("Range")) {
        const auto ifRange = req.Header("If-Range");
        if (!ifRange || RangeStillApplies(*ifRange, etag, modified)) range = ChooseRange(*rangeHeader, size);
    }
    if (range.kind == RangeChoice::Unsatisfiable) {
        HttpAnswer refused = HttpAnswer::Text(416, "range not satisfiable");
        refused.With("Content-Range", "bytes */" + std::to_string(size));
        return refused;
    }
    answer.offset = 0;
    answer.length = size;
    if (range.kind == RangeChoice::Part) {
        answer.status = 206;
        answer.offset = range.first;
        answer.length = range.last - range.first + 1;
        answer.With("Content-Range", "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
                                         std::to_string(size));
    }
    answer.fd = file.Release();
    return answer;
}
