// Drawing charts to PNG files: one chart, and every code of a data folder
// spread over worker threads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "render/day_read.h"
#include "tools/sivarta-render/render_cli.h"

// Renders and writes one chart (and its text rectangles when a path is
// given); on failure returns why and leaves no picture.
std::optional<std::string> RenderOne(const RenderRequest& request, const DayBytes& day,
                                     const std::filesystem::path& out, const std::string& textRectsPath,
                                     FreeTypeText& text, int32_t& bars);

// Every code with an info file under cli.root, one CODE.png each in
// cli.outDir, on cli.jobs threads (each with its own text painter). The
// report lists the codes in name order whatever the threads' order, then the
// summary. Exit status 0 when every code was drawn, else 1. Throws when a
// text painter cannot be made.
int RenderAll(const RenderCli& cli, std::ostream& out, std::ostream& err);
