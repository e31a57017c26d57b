// Snapshots of what the host shows: a rectangle of the screen saved as PNG.
#pragma once

#include <windows.h>

#include <string>

// Copies `area` (screen coordinates) from the screen and writes it to `path`
// (ANSI code page) as a 24-bit PNG. Reading the screen is what shows the chart under Wine:
// PrintWindow of the host window gave only the host's own white background,
// without the control's child windows.
HRESULT SaveScreenArea(const RECT& area, const std::string& path);

// The union of the visible top-level windows of this process other than
// `frame`: the control's popups (the tooltip).
RECT VisiblePopupsRect(HWND frame);
