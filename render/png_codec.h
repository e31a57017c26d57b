// PNG in and out for pixel buffers. Written with a palette when a picture has
// at most 256 colours, else as RGB, 8 bits a channel; never with alpha.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "chart/raster.h"

// The encoded file, or nothing when libpng fails.
std::optional<std::string> EncodePng(const PixelBuffer& buffer);

// Writes the file whole or not at all: encoded first, written to a temporary
// name in the same folder and renamed over `path`. On failure `error` says why
// and no file is left behind.
bool WritePngFile(const std::filesystem::path& path, const PixelBuffer& buffer, std::string& error);

// Any PNG libpng reads, flattened to RGB (alpha composed over black).
std::optional<PixelBuffer> DecodePng(std::string_view bytes);
std::optional<PixelBuffer> ReadPngFile(const std::filesystem::path& path);
