#include "render/day_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "data/day_source.h"
#include "data/file_readers.h"
#include "data/stock_records.h"

namespace fs = std::filesystem;

namespace {

FileStamp StampOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_size), int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<uint64_t>(st.st_ino), int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec};
}

}   // namespace

FileDescriptor::~FileDescriptor() {
    if (fd >= 0) close(fd);
}

int FileDescriptor::Release() {
    return std::exchange(fd, -1);
}

size_t DataReadLimit() {
    return kMaxDataFileBytes + 1;
}

std::optional<FileStamp> StampOfDescriptor(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return std::nullopt;
    return StampOf(st);
}

std::optional<std::string> ReadFileBounded(const fs::path& path, size_t limit, std::string& bytes, FileStamp* stamp,
                                           bool* steady) {
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
    struct stat after {};
    if (fstat(file.Get(), &after) != 0) return std::string(std::strerror(errno));
    if (stamp) *stamp = StampOf(after);
    if (steady) *steady = StampOf(st) == StampOf(after) && (done == limit || done == static_cast<size_t>(st.st_size));
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

namespace {

// One read of both files: whether each stayed the same while it was read.
std::optional<std::string> ReadDayOnce(const fs::path& root, std::string_view code, DayBytes& day, bool& steady) {
    const fs::path info = InfoPath(root, code);
    bool infoSteady = false, dataSteady = false;
    if (auto fault = ReadFileBounded(info, kInfoReadLimit, day.info, &day.infoStamp, &infoSteady))
        return "info file " + info.string() + ": " + *fault;
    const fs::path data = DataPath(root, code);
    if (auto fault = ReadFileBounded(data, DataReadLimit(), day.data, &day.dataStamp, &dataSteady))
        return "data file " + data.string() + ": " + *fault;
    steady = infoSteady && dataSteady;
    return std::nullopt;
}

bool LooksWhole(const DayBytes& day) {
    return day.info.size() == sizeof(StockInfo) && !day.data.empty() && day.data.size() % sizeof(TickRecord) == 0;
}

}   // namespace

std::optional<std::string> ReadDay(const fs::path& root, std::string_view code, DayBytes& day) {
    constexpr int kAttempts = 8;
    std::optional<std::pair<FileStamp, FileStamp>> previous;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(2 * attempt));
        bool steady = false;
        if (auto fault = ReadDayOnce(root, code, day, steady)) return fault;
        if (!steady) {
            previous.reset();
            continue;
        }
        const std::pair<FileStamp, FileStamp> stamps{day.infoStamp, day.dataStamp};
        // An odd shape that stays the same over two reads is how the files are.
        if (LooksWhole(day) || previous == stamps) return std::nullopt;
        previous = stamps;
    }
    return std::string(kFilesKeptChanging);
}
