// Writes pictures as PNG files through the Windows Imaging Component.
// The caller has initialised COM on this thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// 24-bit BGR rows, top row first, `stride` bytes apart.
HRESULT WritePng(const std::string& path, const uint8_t* bgr, UINT width, UINT height, UINT stride);

// Copies width x height pixels from (0, 0) of a DC and writes them as PNG.
HRESULT WritePngFromDC(const std::string& path, HDC source, int width, int height);
