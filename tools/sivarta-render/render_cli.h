// The command line of sivarta-render.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/chart_render.h"

// One worker per core this process may run on (at least one, at most kMaxJobs).
int32_t DefaultJobs();

struct RenderCli {
    std::string root;
    std::string infoPath;
    std::string dataPath;
    std::string outPath;
    std::string outDir;
    std::string textRectsPath;   // where to list the text rectangles, one "L T R B" a line
    bool all = false;
    int32_t jobs = DefaultJobs();   // --all's worker threads
    bool jobsGiven = false;
    RenderRequest request;   // code, size, display properties, hover
};

inline constexpr int32_t kMaxJobs = 64;

extern const char kRenderUsage[];

// Fills `cli` from the arguments after the program name; on a fault returns
// the message (unknown option, missing value, bad size, property or point,
// options that do not form one of the three uses).
std::optional<std::string> ParseRenderCli(const std::vector<std::string>& args, RenderCli& cli);
