#include "activex/chart/day_fetch.h"

#include <atomic>
#include <cstdio>
#include <utility>

#include "data/day_source.h"
#include "activex/framework/file.h"

namespace {

// Reads the whole file (nothing when it is larger than any accepted file) and
// deletes it. False when it cannot be opened.
bool ReadAndDelete(const std::string& path, std::vector<unsigned char>& bytes) {
    FileHandle file(OpenFileForRead(path));
    if (!file.IsOpen()) return false;
    LARGE_INTEGER size{};
    bytes.clear();
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        static_cast<uint64_t>(size.QuadPart) <= kMaxDataFileBytes) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
        bytes.resize(got);
    }
    file.Close();
    DeleteFileAnyLength(path);
    return true;
}

// A file of its own in the temporary folder for each download, created
// exclusively: CODE.<process>.<n>.dat. Two charts of one code, in this process
// or another, never share or clobber a file. Empty when none can be made
// (the download then fails on the file like any other).
std::string CreatePrivateFile(const std::string& dir, const std::string& code) {
    static std::atomic<unsigned long> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, "\\%s.%lu.%lu.dat", code.c_str(), GetCurrentProcessId(), ++counter);
        std::string path = dir + name;
        FileHandle file(CreateNewFile(path));
        if (file.IsOpen()) return path;
        // Left behind by an earlier process with the same id: take the next number.
        if (DWORD error = GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

}   // namespace

DayFetch::~DayFetch() {
    Finish();
}

void DayFetch::Start(std::string info, std::string data, std::string dir, std::string dayCode,
                     const DownloadLimits& bounds) {
    Finish();
    infoUrl = std::move(info);
    dataUrl = std::move(data);
    tempDir = std::move(dir);
    code = std::move(dayCode);
    limits = bounds;
    files = {};
    started = true;
    worker = CreateThread(nullptr, 0, &DayFetch::Run, this, 0, nullptr);
    if (!worker) Work();
}

DayFetch::Files DayFetch::Finish() {
    if (worker) {
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
        worker = nullptr;
    }
    started = false;
    return std::exchange(files, {});
}

DWORD WINAPI DayFetch::Run(void* self) {
    static_cast<DayFetch*>(self)->Work();
    return 0;
}

void DayFetch::Work() {
    // Both downloads share one WinINet handle, closed when they end.
    SharedInternet internet;
    auto fetch = [&](const std::string& url) {
        File file;
        const std::string path = CreatePrivateFile(tempDir, code);
        // A failed download leaves no file, and nothing stale is read in its place.
        if (path.empty() || !DownloadToFile(url, path, limits, internet).IsComplete())
            file.outcome = Outcome::Failed;
        else
            file.outcome = ReadAndDelete(path, file.bytes) ? Outcome::Read : Outcome::Unreadable;
        return file;
    };
    files.info = fetch(infoUrl);
    if (files.info.outcome != Outcome::Read) return;
    files.data = fetch(dataUrl);
}
