// Local files: an owner for a kernel file handle, and ANSI paths widened to
// the extended-length form so a temporary directory past MAX_PATH still works.
#pragma once

#include <windows.h>

#include <string>

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Closes now; returns FALSE when the system reports the close failed.
    BOOL Close() {
        BOOL ok = TRUE;
        if (IsOpen()) ok = CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return ok;
    }
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// The path in the code page of the system, as UTF-16; absolute drive and UNC
// paths get the \\?\ prefix (after resolving "." and ".."), which lifts the
// MAX_PATH limit of the file calls.
std::wstring ExtendedPath(const std::string& path);

// Opens an existing file for reading, or creates (truncating) one for writing.
HANDLE OpenFileForRead(const std::string& path);
HANDLE CreateFileForWrite(const std::string& path);
// Creates a file that must not exist yet (ERROR_FILE_EXISTS when it does).
HANDLE CreateNewFile(const std::string& path);
BOOL DeleteFileAnyLength(const std::string& path);
