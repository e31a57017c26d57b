// Reading a day's two files for the renderer: bounded, never blocking on a
// special file, with the size and modification time of what was read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The info file is read up to one byte past 128 and the data file up to one
// byte past its limit, so an oversized file is seen as such without reading it all.
inline constexpr size_t kInfoReadLimit = 129;
size_t DataReadLimit();

// Reads at most `limit` bytes of a regular file. On failure returns why
// ("no such file", "not a regular file", ...).
std::optional<std::string> ReadFileBounded(const std::filesystem::path& path, size_t limit, std::string& bytes,
                                           FileStamp* stamp = nullptr);

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

// Both files of a code under root, or why not ("info file DIR/...: no such file").
std::optional<std::string> ReadDay(const std::filesystem::path& root, std::string_view code, DayBytes& day);
