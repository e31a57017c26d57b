// Where a module's time goes in the system: its import table entries for a
// chosen set of functions are pointed at wrappers that add each call's time
// to that function's total. Only the module patched is measured; the
// system's own calls between its DLLs are not.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct ImportTotal {
    const char* name;
    int calls = 0;
    int64_t ticks = 0;   // QueryPerformanceCounter ticks inside, less the hooked calls it made
};

// Patches `module`'s imports once; returns how many entries were patched.
int TimeImports(HMODULE module);

// The totals since the patch, one per function the module imports.
std::vector<ImportTotal> ImportTotals();
