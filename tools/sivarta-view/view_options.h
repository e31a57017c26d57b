// Command line of sivarta-view. Portable: no Windows header, so the rules can be
// read (and checked) apart from the window code.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ViewOptions {
    // PARAM tags of the page, in order: NAME=VALUE, UTF-8.
    std::vector<std::pair<std::string, std::string>> params;
    std::string classId = "SIVARTA.SivartaCtrl.1";   // ProgID or {CLSID}
    int width = 228;                                 // client area, like the object tag's size
    int height = 190;
    bool printInfo = false;
    std::string snapshotPath;                   // empty: run the message loop
    std::optional<std::pair<int, int>> hover;   // client point to move the cursor to
    bool help = false;
};

// Parses argv[1..]. On a bad command line returns nullopt and sets error to a
// one-line message. --size wins over nsizeMainX/nsizeMainY params, which win
// over the control's defaults (228 x 190).
std::optional<ViewOptions> ParseViewOptions(const std::vector<std::string>& args, std::string& error);

// The usage text printed by --help and after a command-line error.
const char* ViewUsage();
