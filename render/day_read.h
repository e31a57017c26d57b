// Reading a day's two files for the renderer: bounded, never blocking on a
// special file, with the size and modification time of what was read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A file's version as seen through its open descriptor: a rewrite in place
// changes the size or a time, a write-then-rename the inode.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    int64_t changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The info file is read up to one byte past 128 and the data file up to one
// byte past its limit, so an oversized file is seen as such without reading it all.
inline constexpr size_t kInfoReadLimit = 129;
size_t DataReadLimit();

// Reads at most `limit` bytes of a regular file. On failure returns why
// ("no such file", "not a regular file", ...). The stamp is the open
// descriptor's after the read; `steady` says whether it was the same before.
std::optional<std::string> ReadFileBounded(const std::filesystem::path& path, size_t limit, std::string& bytes,
                                           FileStamp* stamp = nullptr, bool* steady = nullptr);

// An open file descriptor, closed when it goes (unless released).
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd; }
    int Release();

private:
    int fd;
};

// The stamp of an open descriptor, or nothing.
std::optional<FileStamp> StampOfDescriptor(int fd);

// The stamp of a regular file without reading it, or nothing.
std::optional<FileStamp> StatFile(const std::filesystem::path& path);

// DIR/sisefile/info/CODE.dat and DIR/sisefile/Date/CODE.dat.
std::filesystem::path InfoPath(const std::filesystem::path& root, std::string_view code);
std::filesystem::path DataPath(const std::filesystem::path& root, std::string_view code);

struct DayBytes {
    std::string info;
    std::string data;
    FileStamp infoStamp;
    FileStamp dataStamp;
};

// Both files of a code under root as one version of each, or why not ("info
// file DIR/...: no such file"). A file that changes while it is read is read
// again, as is an empty or cut-off one (an info file not of 128 bytes, a data
// file not of whole records) until it stays the same for a moment: a writer
// that truncates and then writes is caught between the two.
inline constexpr const char* kFilesKeptChanging = "the files kept changing while being read";
std::optional<std::string> ReadDay(const std::filesystem::path& root, std::string_view code, DayBytes& day);
