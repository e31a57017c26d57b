// sivarta-snapshot --host: the day loaded from a data server by a real loader
// window, with the same requests and temporary files as the control.
#pragma once

#include "snapshot_options.h"

// Loads, draws and writes the PNG; prints each message box the load showed on
// stderr as "message: <text>". Returns the program's exit code (0 = PNG written).
int SnapshotFromHost(const SnapshotOptions& options);
