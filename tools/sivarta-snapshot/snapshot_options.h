// Command line of sivarta-snapshot. Each option is one row of the table in
// snapshot_options.cpp, so a new option is one new row and one new field.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/day_source.h"

struct SnapshotOptions {
    std::string infoPath;
    std::string dataPath;
    std::string code = kDefaultCode;   // as the loader uses for an empty code
    std::string outPath;
    std::string host;   // --host HOST[:PORT]: load through the loader window
    int width = 0;
    int height = 0;
    bool hover = false;   // --hover X,Y: cursor at that client point, tooltip shown
    long hoverX = 0;
    long hoverY = 0;
    std::vector<std::pair<std::string, std::string>> props;   // --prop NAME=VALUE, in order
};

// Fills `options` from argv; on a bad or missing argument returns false with a
// message in `error`.
bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions& options, std::string& error);

const char* SnapshotUsage();
