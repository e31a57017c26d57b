// DataLoaderWnd: the plain child window that fills the control's area, owns
// the chart window and runs the whole load inside its creation: download the
// info file and the data file (on a worker thread, while the windows are
// made), read them, feed the bars to the chart, redraw.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "activex/chart/chart_wnd.h"
#include "activex/chart/day_fetch.h"
#include "activex/chart/download_file.h"
#include "activex/framework/wnd.h"

class DataLoaderWnd : public Wnd {
public:
    DataLoaderWnd();

    // Copies the body of an http URL into a local file. Returns exactly "YES"
    // when the whole body was copied, else a text that says what failed.
    std::string DownloadFile(const std::string& url, const std::string& path);

    // Starts the day's two downloads on a worker thread (with strCode,
    // strChartUrl and limits as they are now), so that they run while the
    // windows are created; the creation waits for them. A loader created
    // without this call starts them in its creation. Nothing starts for a
    // code that cannot be asked for.
    void StartFetch();

    // The chart's core: its info fields (the last accepted info record,
    // kept across loads, all zero until one is accepted) answer the automation
    // methods.
    const ChartSession& Core() const { return chart.core; }

    std::string strTempDir;    // %TEMP% expanded at construction
    std::string strCode;       // requested instrument code
    std::string strChartUrl;   // data host (host[:port])
    ChartWnd chart;
    DownloadLimits limits;         // time-outs and size bound of each download
    SharedInternet internetRoot;   // DownloadFile's, open while it is in use

    static constexpr UINT kChartId = 5000;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs);
    void OnDestroy();

private:
    DayFetch fetch;   // the load's downloads, while they run

    // Whether a fetched file can be accepted; shows the failure message for a failed download.
    bool Arrived(const DayFetch::File& file);
    // Shows the failure message; returns -1 for the creation handler.
    int FailLoad();
};
