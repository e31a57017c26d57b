// ChartSession: one interactive chart, whichever front-end shows it. It holds
// the settings and size, runs the load (the request URLs, the files' verdicts,
// the failure text), owns the model and its scene, tracks the crosshair from
// the pointer and the arrow keys, builds the crosshair and tooltip scenes,
// answers the hover test and the tooltip's place, and names the click-through
// page and the info fields. A front-end only moves bytes, pixels and events:
// the control (WinINet, GDI, windows), the renderer (files, raster, PNG) and
// the web element (fetch, canvas, DOM). Portable: no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chart/chart_model.h"
#include "chart/scene.h"
#include "data/day_source.h"
#include "data/file_readers.h"
#include "data/stock_records.h"
#include "interact/tip_place.h"
#include "interact/tip_scene.h"

// The two URLs of a load, or why none is requested.
struct DayRequest {
    std::string infoUrl;
    std::string dataUrl;
    std::string refusal;   // empty when the URLs are made
    bool Made() const { return refusal.empty(); }
};

// The URLs of a code's two files on a host (host[:port], or one that names
// its scheme), with https or http otherwise; refused for a code that is not 1
// to 32 ASCII letters and digits or a host with blanks or control characters.
DayRequest RequestDay(std::string_view code, std::string_view host, bool https);

// One file as a front-end fetched it: its bytes, or why it did not arrive.
struct FetchedFile {
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    bool arrived = false;
    std::string failure;   // when it did not arrive: what failed
};

// How the last load ended.
struct LoadVerdict {
    FileVerdict info;
    FileVerdict data;
    std::string failure;   // a request or download that failed; empty when both files arrived
    bool Failed() const { return !failure.empty(); }
    bool Accepted() const { return !Failed() && info.Accepted() && data.Accepted(); }
    // Why the chart shows no day: the failure, else the first refusal; empty when accepted.
    std::string Reason() const;
};

// How a refresh of the day shown ended.
struct RefreshVerdict {
    bool changed = false;   // an accepted day other than the one shown before
    std::string reason;     // why the day shown was kept; empty when the refresh was accepted
    bool Kept() const { return !reason.empty(); }
};

// The arrow keys that move the crosshair.
enum class ArrowKey : uint8_t { Down, Up, Left, Right };

// The keys that scroll through the day.
enum class ScrollKey : uint8_t { Home, End, PageUp, PageDown };

// What a released press asks of the front-end.
enum class ReleaseAction : uint8_t { None, OpenPage, ShowTip };

// A press moves this many pixels sideways before it pans the day.
inline constexpr int32_t kPanSlop = 5;

// The hover timer's period: the tooltip follows the pointer at this pace.
inline constexpr int32_t kHoverTickMs = 100;

class ChartSession {
public:
    // measureTip gives the width of code page 949 text in the tooltip's font;
    // without it no tooltip scene is built (a front-end that draws the tooltip
    // with its own window).
    explicit ChartSession(TextWidthFn measureTip = {});

    // --- Settings and size --------------------------------------------------
    ChartSettings& Settings() { return model.settings; }
    const ChartSettings& Settings() const { return model.settings; }
    // The chart's size: nsizeMainX and nsizeMainY, and the client area.
    void SetSize(int32_t width, int32_t height);
    // The client area alone (a window's, which its container may size).
    void SetClient(const Rect& client) { model.rcClient = client; }
    const ChartModel& Model() const { return model; }

    // --- The load -----------------------------------------------------------
    // strCode, or the default code when it is empty.
    std::string Code() const;
    // The two URLs for the code and strChartUrl (or the default host), with
    // the scheme strChartUrl names, else https or http as given. A front-end
    // served from a host (a page) passes it: an empty strChartUrl means that
    // host there, the default host elsewhere.
    DayRequest Request(bool https, std::string_view pageHost = {}) const;
    // The load step by step, as the control runs it: ResetSeries empties the
    // chart, BeginLoad names the code and forgets the last load, each file is
    // read as it arrives, FinishLoad draws. FailLoad marks a load whose request
    // or download failed.
    void ResetSeries();
    // `previous` is the info record an info file of another length leaves as
    // it was (the control keeps its record across loads; others start empty).
    void BeginLoad(std::string code, const StockInfo& previous = {});
    const FileVerdict& AcceptInfo(const unsigned char* bytes, size_t length);
    const FileVerdict& AcceptData(const unsigned char* bytes, size_t length);
    void FailLoad(std::string failure);
    void FinishLoad();
    // The whole load in one call: a file that did not arrive fails it (and
    // nothing after it is read); a failed load writes the failure text into
    // the chart.
    const LoadVerdict& Load(const FetchedFile& info, const FetchedFile& data);
    const LoadVerdict& LastLoad() const { return verdict; }
    // A reload of the day shown: one that failed or that the file rules refuse
    // leaves the chart, the info and the crosshair as they were; an accepted one
    // keeps the crosshair on the same record, wherever that record now stands.
    RefreshVerdict Refresh(const FetchedFile& info, const FetchedFile& data);
    const StockInfo& Info() const { return info; }
    // The info record's code and name fields as text (the name in code page 949).
    std::string InfoCode() const;
    std::string InfoName() const;

    // --- Drawing ------------------------------------------------------------
    // The redraw pass with the current settings and size; false (nothing
    // drawn) when no record is shown. resetScroll puts the newest record in
    // the last slot but one. The crosshair is drawn again at its point after it.
    bool DrawChart(bool resetScroll);
    // The background and the empty pane frames.
    void LayoutPanes(bool resetScroll);
    // The redraw after a change of settings or size: the chart, else its frames.
    void Redraw();

    // --- Pointer and keys ----------------------------------------------------
    // kScrolled: the chart's scene changed (scroll position or slot width).
    enum : int32_t { kCrosshairMoved = 1, kTipChanged = 2, kScrolled = 4 };
    // Each returns kCrosshairMoved and kTipChanged bits.
    int32_t PointerMove(int32_t x, int32_t y);
    int32_t PressKey(ArrowKey key);
    // The crosshair again at its point (forced once after each pass).
    int32_t Retrack();
    // After a pass the next track draws even at the same point; a new load
    // clears that.
    void ForceTrack(bool force) { forceTrack = force; }
    bool TrackForced() const { return forceTrack; }
    bool HasTracked() const { return hasTracked; }
    Point Crosshair() const { return last; }
    Point PreviousCrosshair() const { return previous; }
    bool InBox(int32_t x, int32_t y) const { return model.rcBox.Contains(x, y); }
    // The index of the record under the crosshair, -1 when there is none.
    int64_t TrackedIndex() const;

    // --- Scrolling and zoom ---------------------------------------------------
    // Each returns kScrolled (and the crosshair's bits) when the view changed.
    // A view that shows the newest record follows new records; one the user
    // scrolled away keeps its first record across redraws and reloads.
    int32_t ScrollBy(int64_t records);
    int32_t PressScrollKey(ScrollKey key);
    // Content moved right by dx pixels (a drag, or a wheel's negated delta):
    // older records come in. Parts of a slot add up across calls.
    int32_t ScrollPixels(int32_t dx);
    // A new slot width (clamped to 1 .. 12) keeping the record under column
    // anchorX where it is (the newest stays in view while following).
    int32_t SetSlotWidth(int32_t width, int32_t anchorX);
    // One wheel notch: steps > 0 widen the slots, < 0 narrow them.
    int32_t Zoom(int32_t steps, int32_t anchorX);
    // Two fingers: the width follows their distance from where they started.
    void PinchBegin(int32_t distance);
    int32_t PinchTo(int32_t distance, int32_t anchorX);
    int32_t SlotWidth() const { return model.nSlotWidth; }
    int32_t FirstShown() const { return model.series.nStartIndex; }
    bool Following() const { return following; }

    // --- Presses: mouse and touch alike --------------------------------------
    // A press that moves kPanSlop pixels sideways pans the day and never
    // clicks. A mouse press released unmoved opens the page. A tap shows the
    // crosshair and tooltip at its record; only a second tap on the record
    // shown opens the page.
    void Press(int32_t x, int32_t y, bool touch);
    int32_t Drag(int32_t x, int32_t y);
    ReleaseAction Release(int32_t x, int32_t y);
    // The press was taken over (the page scrolled): nothing happens.
    void CancelPress() { press.active = false; }
    bool Panning() const { return press.active && press.panning; }

    // --- Announcement --------------------------------------------------------
    // The record under the crosshair in words, UTF-8, English or Korean by
    // strType; empty when no record is there.
    std::string Announcement() const;

    // --- Tooltip and click ---------------------------------------------------
    // The tooltip is shown for a pointer at (x, y) in client pixels.
    bool ShowsTip(int32_t x, int32_t y) const;
    // Where the tooltip goes beside a cursor on a screen (or viewport) of that width.
    TipPlace TipPlacement(int32_t cursorX, int32_t cursorY, int32_t screenWidth) const;
    // The tooltip's line (code page 949): the first text until a record is hit.
    const std::string& TipText() const { return tipText; }
    // A click asks for the page (strClickAction is not exactly "N").
    bool ClickEnabled() const { return model.settings.ClickEnabled(); }
    // The page a click opens, or nothing when the click is off or strURL is
    // not an absolute http or https URL.
    std::optional<std::string> ClickPage() const;

    // --- Scenes, one per layer ----------------------------------------------
    const Scene& ChartScene() const { return model.scene; }
    void ShrinkChartScene() { model.scene.ShrinkToFit(); }
    const Scene& CrosshairScene() const { return crosshair; }
    // Built when asked for: a pointer moves the tooltip's text far more often
    // than the tooltip is drawn.
    const Scene& TipScene() const;

    // Mutable access for the control, whose window feeds bars and reads the
    // layout as before.
    ChartModel& MutableModel() { return model; }

private:
    int32_t Track(int32_t x, int32_t y, bool fromPointer);
    // Draws from the first record `first`, clamped; the crosshair follows.
    int32_t ShowFrom(int64_t first, bool changedAnyway = false);
    int64_t RecordAt(int32_t x) const;

    struct PressState {
        bool active = false;
        bool touch = false;
        bool panning = false;
        int32_t startX = 0, lastX = 0;
    };
    void AddFailureText();
    void SetTipText(std::string text);
    void BuildTip() const;

    ChartModel model;
    StockInfo info{};
    LoadVerdict verdict;
    uint64_t dayPrint = 0;   // the accepted day's files, hashed; 0 after a load not accepted
    std::string loadingCode;
    Scene crosshair;
    mutable Scene tip;
    mutable bool tipBuilt = false;
    mutable std::string tipBuiltText;   // the text and colours tip was built from
    mutable TipColours tipBuiltColours;
    std::string tipText;
    TextWidthFn measure;
    Point last{}, previous{};
    bool hasTracked = false;
    bool forceTrack = false;
    bool following = true;
    int32_t pixelRemainder = 0;   // drag pixels short of a slot
    int32_t pinchWidth = ChartModel::kDefaultSlotWidth, pinchDistance = 0;
    PressState press;
    int64_t tappedRecord = -1;   // the record a tap showed, until the view changes
    std::string loadedCode;
};
