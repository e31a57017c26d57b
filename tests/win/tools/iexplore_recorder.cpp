// Stands in for the browser in click-through tests: appends its command line
// (one line per start) to the file named by SIVARTA_IEXPLORE_LOG.
#include <windows.h>

#include <cstdio>

int main() {
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("SIVARTA_IEXPLORE_LOG", path, MAX_PATH)) return 0;
    if (FILE* log = std::fopen(path, "ab")) {
        std::fprintf(log, "%s\n", GetCommandLineA());
        std::fclose(log);
    }
    return 0;
}
