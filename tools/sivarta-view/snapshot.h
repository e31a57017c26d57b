// Snapshots of what the host shows: the area of its popups (the tooltip).
#pragma once

#include <windows.h>

#include <string>

// The union of the visible top-level windows of this process other than
// `frame`: the control's popups (the tooltip).
RECT VisiblePopupsRect(HWND frame);
