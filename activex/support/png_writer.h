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
// Copies `area` of a DC and writes it as PNG.
HRESULT WritePngFromDC(const std::string& path, HDC source, const RECT& area);
// Copies `area` (screen coordinates) from the screen. Reading the screen is what
// shows a window with its child windows and popups under Wine: PrintWindow of a
// host window gives only its own background, without the control's children.
HRESULT WritePngFromScreen(const std::string& path, const RECT& area);
