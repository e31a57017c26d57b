#include "render/day_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/day_source.h"
#include "data/file_readers.h"

namespace fs = std::filesystem;

namespace {

FileStamp StampOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_size), int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd; }

private:
    int fd;
};

}  // namespace

size_t DataReadLimit() { return kMaxDataFileBytes + 1; }

std::optional<std::string> ReadFileBounded(const fs::path& path, size_t limit, std::string& bytes, FileStamp* stamp) {
    // Non-blocking open: a FIFO or device under the root must not hold a reader up.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return std::string(std::strerror(errno));
    struct stat st {};
    if (fstat(file.Get(), &st) != 0) return std::string(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return std::string("not a regular file");
    bytes.assign(std::min<uint64_t>(static_cast<uint64_t>(st.st_size), limit), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::string(std::strerror(errno));
        if (n == 0) break;   // shrank while being read: what is there counts
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    if (stamp) *stamp = StampOf(st);
    return std::nullopt;
}

std::optional<FileStamp> StatFile(const fs::path& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return StampOf(st);
}

fs::path InfoPath(const fs::path& root, std::string_view code) {
    return root / DayFilePath(DayFile::Info, code);
}

fs::path DataPath(const fs::path& root, std::string_view code) {
    return root / DayFilePath(DayFile::Data, code);
}

std::optional<std::string> ReadDay(const fs::path& root, std::string_view code, DayBytes& day) {
    const fs::path info = InfoPath(root, code);
    if (auto fault = ReadFileBounded(info, kInfoReadLimit, day.info, &day.infoStamp))
        return "info file " + info.string() + ": " + *fault;
    const fs::path data = DataPath(root, code);
    if (auto fault = ReadFileBounded(data, DataReadLimit(), day.data, &day.dataStamp))
        return "data file " + data.string() + ": " + *fault;
    return std::nullopt;
}
