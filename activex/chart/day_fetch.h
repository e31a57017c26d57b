// DayFetch: the load's two downloads on a worker thread, so that they run
// while the chart's windows are being created. In order, as the load needs:
// the info file, then, only when it was downloaded, the data file. Each goes
// to a private file in the temporary folder, is read and is deleted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "activex/chart/download_file.h"

class DayFetch {
public:
    // How one file's fetch ended.
    enum class Outcome {
        NotRun,       // the info file was not read, so the data file was never asked for
        Failed,       // no private file, or the download failed: the load shows its message
        Unreadable,   // downloaded, but the file could not be opened again
        Read,         // bytes hold the file
    };
    struct File {
        Outcome outcome = Outcome::NotRun;
        std::vector<unsigned char> bytes;
    };
    struct Files {
        File info;
        File data;
    };

    DayFetch() = default;
    ~DayFetch();   // waits for a worker still running
    DayFetch(const DayFetch&) = delete;
    DayFetch& operator=(const DayFetch&) = delete;

    // Starts both downloads (on this thread when no thread can be made).
    void Start(std::string infoUrl, std::string dataUrl, std::string tempDir, std::string code,
               const DownloadLimits& limits);
    bool Started() const { return started; }
    // Waits for the downloads and hands their files over; idle again after.
    Files Finish();

private:
    static DWORD WINAPI Run(void* self);
    void Work();

    std::string infoUrl, dataUrl, tempDir, code;
    DownloadLimits limits;
    Files files;
    HANDLE worker = nullptr;
    bool started = false;
};
