// The commands of sivarta-data and what they share. Each Run* returns the
// process exit code: 0 done, 1 bad input or failed I/O, 2 bad usage.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/day_files.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Command-line options after the command name: "--name value" pairs, bare
// "--flag"s and positional arguments.
struct Options {
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> flags;
    std::vector<std::string> positional;

    std::optional<std::string> Get(std::string_view name) const;
    std::vector<std::string> All(std::string_view name) const;
    bool Has(std::string_view flag) const;
};

// Prints the fault to stderr and returns nullopt on an unknown option or a
// missing value.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, const std::vector<std::string_view>& valued,
                                    const std::vector<std::string_view>& flags);
std::optional<int64_t> ParseWhole(std::string_view text, int64_t lo, int64_t hi);

// A code the chart can request and find again in the 6-byte code field.
bool CheckFileCode(std::string_view code);

// Writes sisefile/info/CODE.dat and sisefile/Date/CODE.dat under root, each
// through a temporary name so a reader never sees half a file.
bool WriteDayFiles(const std::filesystem::path& root, std::string_view code, const DayFiles& day);
// The whole file, or nullopt (reported) when it is unreadable or above maxBytes.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

int RunSample(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
int RunDump(const std::vector<std::string>& args);
int RunServe(const std::vector<std::string>& args);
int RunFeed(const std::vector<std::string>& args);
