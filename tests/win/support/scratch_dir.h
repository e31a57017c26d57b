// A fresh folder under the temporary directory for one test, removed with
// everything in it afterwards; and small file helpers that take any length of path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ScratchDir {
public:
    // With minLength, folders are nested until the path is at least that long.
    explicit ScratchDir(size_t minLength = 0);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "\\" + name; }
    // Names of the files and folders directly inside.
    std::vector<std::string> Entries() const;

private:
    std::string root;   // the folder that is removed
    std::string path;   // root, or the deepest nested folder
};

// Names of the files and folders directly inside dir.
std::vector<std::string> DirEntries(const std::string& dir);
bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
