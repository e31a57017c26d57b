#include "win/support/scratch_dir.h"

#include <atomic>

#include "activex/framework/file.h"

namespace {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

}   // namespace

ScratchDir::ScratchDir(size_t minLength) {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    root =
        std::string(temp) + "sivarta-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    CreateDirectoryW(ExtendedPath(root).c_str(), nullptr);
    path = root;
    while (path.size() < minLength) {
        path += "\\" + std::string(60, 'd');
        CreateDirectoryW(ExtendedPath(path).c_str(), nullptr);
    }
}

ScratchDir::~ScratchDir() {
    RemoveTree(ExtendedPath(root));
}

std::vector<std::string> ScratchDir::Entries() const {
    return DirEntries(path);
}

std::vector<std::string> DirEntries(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((ExtendedPath(dir) + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        names.emplace_back(name.begin(), name.end());   // test names are ASCII
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path) {
    FileHandle file(OpenFileForRead(path));
    std::string bytes;
    if (!file.IsOpen()) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileForWrite(path));
    DWORD written = 0;
    return file.IsOpen() && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
