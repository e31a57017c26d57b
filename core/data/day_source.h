// Where a day comes from: the two files' place on a data host or under a data
// folder, the code and host used when none is set, the bounds of a load, and
// the text a failed load shows. Every front-end reads these from here.
// Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/file_readers.h"

// The instrument loaded when strCode is empty.
inline constexpr char kDefaultCode[] = "005930";

// The data host used when strChartUrl is empty (host[:port]) and the page a
// click opens when strURL is empty; both are chosen when the tree is configured.
const char* DefaultHost();
const char* DefaultPage();

// "sisefile/info/CODE.dat" or "sisefile/Date/CODE.dat": the file's path below
// a data host's root or a data folder, the folder, the code and the suffix.
inline constexpr char kInfoFolder[] = "sisefile/info/";
inline constexpr char kDataFolder[] = "sisefile/Date/";
inline constexpr char kDayFileSuffix[] = ".dat";
std::string DayFilePath(DayFile file, std::string_view code);

// The bounds of one load. The control's WinINet download keeps the connect,
// send and receive time-outs; the browser, which cannot set those, stops a
// file after idleMs without a byte and a whole load after loadMs. Both stop a
// file after fileMs and past maxBytes.
struct LoadLimits {
    int32_t connectMs = 10000;
    int32_t sendMs = 15000;
    int32_t receiveMs = 15000;
    int32_t idleMs = 10000;
    int32_t fileMs = 30000;
    int32_t loadMs = 45000;
    uint64_t maxBytes = kMaxDataFileBytes;
};
inline constexpr LoadLimits kLoadLimits{};

// What a chart whose load failed says.
inline constexpr char kLoadFailedText[] = "fail Loading Datafile!";
