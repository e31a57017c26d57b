// DataLoaderWnd: the plain child window that fills the control's area, owns
// the chart window and runs the whole load inside its creation: download the
// info file and the data file, read them, feed the bars to the chart, redraw.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "activex/chart/chart_wnd.h"
#include "activex/chart/download_file.h"
#include "activex/framework/wnd.h"

class DataLoaderWnd : public Wnd {
public:
    DataLoaderWnd();

    // Copies the body of an http URL into a local file. Returns exactly "YES"
    // when the whole body was copied, else a text that says what failed.
    std::string DownloadFile(const std::string& url, const std::string& path);

    // The chart's session: its info fields (the last accepted info record,
    // kept across loads, all zero until one is accepted) answer the automation
    // methods.
    const ChartSession& Session() const { return chart.session; }

    std::string strTempDir;    // %TEMP% expanded at construction
    std::string strCode;       // requested instrument code
    std::string strChartUrl;   // data host (host[:port])
    ChartWnd chart;
    DownloadLimits limits;         // time-outs and size bound of each download
    SharedInternet internetRoot;   // open only while a load runs

    static constexpr UINT kChartId = 5000;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTA* cs);
    void OnDestroy();

private:
    // Downloads url to a file of its own, then reads and deletes the file. A
    // failed download shows the failure message; false when nothing can be read.
    bool Fetch(const std::string& url, std::vector<unsigned char>& bytes);
    // Shows the failure message; returns -1 for the creation handler.
    int FailLoad();
};
