// One chart of the web component: the chart model plus what the browser side
// needs around it (the info record of the last load, the crosshair and tooltip
// scenes, the tracking state, the request URLs, the click-through page).
// Everything the page shows is decided here; JavaScript only fetches, draws
// the scenes and forwards events. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chart/chart_model.h"
#include "chart/scene.h"
#include "data/stock_records.h"
#include "interact/tip_scene.h"

// What a load fetched: the bytes of each file, or nothing when its download failed.
struct DayBytes {
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    bool arrived = false;
};

class WebChart {
public:
    explicit WebChart(TextWidthFn measureTip);

    ChartSettings& Settings() { return model.settings; }
    void SetSize(int32_t width, int32_t height);

    // The two URLs of a load, "info\ndata", for a page served over https or
    // http; nothing when the code or the host loads nothing (no request is
    // made then).
    std::optional<std::string> RequestUrls(bool pageIsHttps) const;

    // Reads what arrived and draws. A failed download keeps the chart empty
    // from that file on and writes the failure text into the chart. Returns
    // false when the load failed in any way.
    bool Load(const DayBytes& infoFile, const DayBytes& dataFile);
    // Redraws the last load's series with the current settings and size.
    void Redraw();

    // The crosshair and the tooltip text follow the pointer (fromPointer) or
    // the arrow keys. Returns kCrosshairMoved and kTipChanged bits.
    enum : int32_t { kCrosshairMoved = 1, kTipChanged = 2 };
    int32_t Track(int32_t x, int32_t y, bool fromPointer);
    enum class Key { Down, Up, Left, Right };
    int32_t PressKey(Key key);
    // The crosshair again at its last point after a redraw (forced once after each pass).
    int32_t Retrack() { return Track(lastX, lastY, false); }
    bool InBox(int32_t x, int32_t y) const;

    // The page a click opens, or nothing when the click is switched off or the
    // page is not an absolute http or https URL.
    std::optional<std::string> ClickUrl() const;

    const Scene& ChartScene() const { return model.scene; }
    const Scene& CrosshairScene() const { return crosshair; }
    const Scene& TipScene() const { return tip; }
    const StockInfo& Info() const { return info; }
    bool Failed() const { return failed; }

private:
    void AddFailureText();
    void SetTipText(std::string text);

    ChartModel model;
    StockInfo info{};
    bool failed = false;
    std::string loadedCode;
    Scene crosshair;
    Scene tip;
    std::string tipText;
    TextWidthFn measure;
    int32_t lastX = 0, lastY = 0;
    bool hasTracked = false;
    bool forceTrack = false;
};

// The text a failed load shows inside the chart.
inline constexpr char kLoadFailedText[] = "fail Loading Datafile!";
