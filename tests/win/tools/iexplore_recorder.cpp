// Stands in for the browser in click-through tests: each start writes its
// command line to a new file in the folder named by SIVARTA_IEXPLORE_LOG
// (one file per process, so starts that overlap never mix their lines).
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("SIVARTA_IEXPLORE_LOG", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 32) return 0;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\start-%lu.txt", folder, GetCurrentProcessId());
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
