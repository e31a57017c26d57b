// Scrolling through the day, zoom, presses and taps, and the words for the
// record under the crosshair, as ChartSession decides them for every front-end.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "data/day_files.h"
#include "data/sample_day.h"
#include "interact/chart_session.h"
#include "interact/tip_text.h"

namespace {

// A loaded 228 x 190 chart of a whole sample day (far more records than slots).
struct Loaded {
    ChartSession core;
    std::vector<unsigned char> info, data;
    explicit Loaded(const char* code = "005930") {
        const DayFiles day = MakeSampleDay({code, "", 20240105, 7, 0, false});
        info = InfoBytes(day.info);
        data = TickBytes(day.ticks);
        core.Settings().strCode = code;
        core.SetSize(228, 190);
        Reload();
    }
    void Reload() { core.Load({info.data(), info.size(), true, {}}, {data.data(), data.size(), true, {}}); }
    const ChartModel& model() const { return core.Model(); }
    int32_t newest() const { return model().NewestStart(); }
    // The column of slot k's line.
    int32_t column(int32_t k) const { return model().rcBox.left + model().nSlotWidth * (k + 1); }
};

TEST(ChartScrollTest, ScrollKeysPixelsAndRecordsMoveTheViewWithinTheDay) {
    struct Case {
        const char* name;
        std::function<int32_t(ChartSession&)> act;
        std::function<int32_t(const Loaded&)> first;   // the first record shown after it
        bool following;
        bool moved = true;   // the last call reports a changed view
    };
    const std::vector<Case> cases = {
        {"first view is the newest", [](ChartSession& s) { return s.ScrollBy(0); },
         [](const Loaded& l) { return l.newest(); }, true, false},
        {"Home", [](ChartSession& s) { return s.PressScrollKey(ScrollKey::Home); }, [](const Loaded&) { return 0; },
         false},
        {"PageUp goes back a page less two slots", [](ChartSession& s) { return s.PressScrollKey(ScrollKey::PageUp); },
         [](const Loaded& l) { return l.newest() - (l.model().nViewCount - 2); }, false},
        {"PageDown at the newest does nothing", [](ChartSession& s) { return s.PressScrollKey(ScrollKey::PageDown); },
         [](const Loaded& l) { return l.newest(); }, true, false},
        {"Home then End",
         [](ChartSession& s) {
             s.PressScrollKey(ScrollKey::Home);
             return s.PressScrollKey(ScrollKey::End);
         },
         [](const Loaded& l) { return l.newest(); }, true},
        {"drag right 30 pixels shows ten older records", [](ChartSession& s) { return s.ScrollPixels(30); },
         [](const Loaded& l) { return l.newest() - 10; }, false},
        {"pixels short of a slot add up",
         [](ChartSession& s) {
             s.ScrollPixels(2);
             s.ScrollPixels(2);
             return s.ScrollPixels(2);
         },
         [](const Loaded& l) { return l.newest() - 2; }, false},
        {"past the oldest stops at it", [](ChartSession& s) { return s.ScrollBy(-100000); },
         [](const Loaded&) { return 0; }, false},
        {"past the newest stops there",
         [](ChartSession& s) {
             s.ScrollBy(-5);
             return s.ScrollBy(100000);
         },
         [](const Loaded& l) { return l.newest(); }, true},
    };
    for (const Case& c : cases) {
        Loaded l;
        const int32_t changed = c.act(l.core);
        EXPECT_EQ(l.core.FirstShown(), c.first(l)) << c.name;
        EXPECT_EQ(l.core.Following(), c.following) << c.name;
        EXPECT_EQ((changed & ChartSession::kScrolled) != 0, c.moved) << c.name;
    }
    // A scroll that cannot move reports no change (the page keeps the wheel).
    Loaded l;
    EXPECT_EQ(l.core.ScrollBy(1), 0);
    EXPECT_EQ(l.core.ScrollPixels(-300), 0);
}

TEST(ChartScrollTest, TheScalesFollowTheRecordsInView) {
    Loaded l;
    l.core.PressScrollKey(ScrollKey::Home);
    const ChartModel& m = l.model();
    int32_t high = INT32_MIN, low = INT32_MAX;
    for (int32_t i = 0; i < m.nViewCount; ++i) {
        const BarRecord* bar = m.series.At(i);
        if (!bar) break;
        high = std::max(high, bar->high);
        low = std::min(low, bar->low);
    }
    // The fitted range holds the view's records (with the pass's margin) and no wider day.
    EXPECT_LE(m.nMinLow, low);
    EXPECT_GE(m.nMaxHigh, high);
    Loaded newest;
    EXPECT_TRUE(m.nMinLow != newest.model().nMinLow || m.nMaxHigh != newest.model().nMaxHigh)
        << "the morning's scale differs from the afternoon's";
}

TEST(ChartScrollTest, ZoomClampsWidthKeepsTheAnchoredRecordAndRedrawsTheSlots) {
    struct Case {
        int32_t steps;
        int32_t width;
    };
    const std::vector<Case> cases = {{1, 4}, {-1, 2}, {-5, 1}, {100, 12}, {9, 12}, {0, 3}};
    for (const Case& c : cases) {
        Loaded l;
        l.core.ScrollBy(-40);   // away from the newest: the anchor rules
        const int32_t anchorX = l.column(10);
        const int32_t anchored = l.core.FirstShown() + 10;
        const int32_t changed = l.core.Zoom(c.steps, anchorX);
        EXPECT_EQ(l.core.SlotWidth(), c.width) << c.steps;
        EXPECT_EQ(changed != 0, c.width != 3) << c.steps;
        const ChartModel& m = l.model();
        EXPECT_EQ(m.nViewCount, (m.rcBox.right - m.rcBox.left) / c.width) << c.steps;
        const int32_t slot = m.SnapToSlot(anchorX).slot;
        if (l.core.FirstShown() > 0 && l.core.FirstShown() < l.newest())
            EXPECT_EQ(l.core.FirstShown() + slot, anchored) << c.steps;
        // Every candle body is odd, centred on a slot line and inside its slot.
        for (const ScenePrim& p : l.core.ChartScene().Prims()) {
            if (p.kind != PrimKind::Fill || p.colour != static_cast<Colour>(l.core.Settings().crStick)) continue;
            const int32_t width = p.rect.right - p.rect.left;
            EXPECT_EQ(width % 2, 1) << c.steps;
            EXPECT_LE(width, c.width) << c.steps;
            EXPECT_EQ((p.rect.left + width / 2 - m.rcVolume.left) % c.width, 0) << c.steps;
        }
    }
    // While following, zoom keeps the newest record in view.
    Loaded l;
    l.core.Zoom(5, l.column(3));
    EXPECT_TRUE(l.core.Following());
    EXPECT_EQ(l.core.FirstShown(), l.newest());
    // A pinch follows the fingers' distance from where they began.
    l.core.PinchBegin(100);
    l.core.PinchTo(50, l.column(3));
    EXPECT_EQ(l.core.SlotWidth(), 4);
    l.core.PinchTo(0, l.column(3));
    EXPECT_EQ(l.core.SlotWidth(), 1);
    l.core.PinchTo(1000, l.column(3));
    EXPECT_EQ(l.core.SlotWidth(), 12);
}

TEST(ChartScrollTest, PressesPanClickOrTapAsTheyMove) {
    struct Step {
        char what;   // p press, d drag, r release, c cancel
        int32_t x;
    };
    struct Case {
        const char* name;
        bool touch;
        std::vector<Step> steps;
        std::vector<ReleaseAction> releases;   // what each release asked
        int32_t scrolledBy;                    // records, older negative
    };
    Loaded probe;
    const int32_t a = probe.column(20), b = probe.column(30);
    const std::vector<Case> cases = {
        {"mouse click", false, {{'p', a}, {'r', a}}, {ReleaseAction::OpenPage}, 0},
        {"mouse jitter under the slop still clicks",
         false,
         {{'p', a}, {'d', a + 4}, {'r', a + 4}},
         {ReleaseAction::OpenPage},
         0},
        {"mouse drag pans and never clicks",
         false,
         {{'p', a}, {'d', a + 5}, {'d', a + 35}, {'r', a + 35}},
         {ReleaseAction::None},
         -11},
        {"tap shows the tip, second tap on it opens",
         true,
         {{'p', a}, {'r', a}, {'p', a}, {'r', a}},
         {ReleaseAction::ShowTip, ReleaseAction::OpenPage},
         0},
        {"a tap elsewhere moves the tip, never opens",
         true,
         {{'p', a}, {'r', a}, {'p', b}, {'r', b}},
         {ReleaseAction::ShowTip, ReleaseAction::ShowTip},
         0},
        {"a pan ends the shown record",
         true,
         {{'p', a}, {'r', a}, {'p', a}, {'d', a + 30}, {'r', a + 30}, {'p', a}, {'r', a}},
         {ReleaseAction::ShowTip, ReleaseAction::None, ReleaseAction::ShowTip},
         -10},
        {"a cancelled press does nothing", true, {{'p', a}, {'c', 0}, {'r', a}}, {ReleaseAction::None}, 0},
    };
    for (const Case& c : cases) {
        Loaded l;
        const int32_t y = l.model().rcBox.top + 20;
        const int32_t before = l.core.FirstShown();
        std::vector<ReleaseAction> releases;
        for (const Step& s : c.steps) {
            if (s.what == 'p') l.core.Press(s.x, y, c.touch);
            if (s.what == 'd') l.core.Drag(s.x, y);
            if (s.what == 'c') l.core.CancelPress();
            if (s.what == 'r') releases.push_back(l.core.Release(s.x, y));
        }
        EXPECT_EQ(releases, c.releases) << c.name;
        EXPECT_EQ(l.core.FirstShown() - before, c.scrolledBy) << c.name;
    }
}

TEST(ChartScrollTest, CrosshairTipAndAnnouncementNameTheRecordAtEveryPosition) {
    for (const char* type : {"", "ENG"}) {
        Loaded l;
        l.core.Settings().strType = type;
        l.core.Redraw();
        EXPECT_EQ(l.core.Announcement(), "") << "no crosshair yet";
        const int32_t y = l.model().rcBox.top + 30;
        for (int32_t first : {0, 100, l.newest()}) {
            l.core.ScrollBy(first - l.core.FirstShown());
            l.core.PointerMove(l.column(5), y);
            const BarRecord* bar = l.model().series.At(first + 5);
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(l.core.Announcement(), AnnounceBar(*bar, *type != 0)) << first;
            EXPECT_EQ(l.core.TipText(), *l.model().TipText(5)) << first;
        }
        // Arrow left from the first slot scrolls one record older under the crosshair.
        l.core.PressScrollKey(ScrollKey::Home);
        l.core.ScrollBy(3);
        l.core.PointerMove(l.column(0), y);
        l.core.PressKey(ArrowKey::Left);
        EXPECT_EQ(l.core.FirstShown(), 2);
        EXPECT_EQ(l.core.Announcement(), AnnounceBar(*l.model().series.At(2), *type != 0));
    }
    struct Case {
        int32_t time;
        bool english;
        const char* text;
    };
    const std::vector<Case> cases = {
        {93100, true, "09:31, open 1,000, high 2,000, low 500, close 1,500, volume 12,345"},
        {153000, true, "15:30, open 1,000, high 2,000, low 500, close 1,500, volume 12,345"},
        {20240105, true, "01/05, open 1,000, high 2,000, low 500, close 1,500, volume 12,345"},
        {93100, false,
         "09\xEC\x8B\x9C 31\xEB\xB6\x84, \xEC\x8B\x9C\xEA\xB0\x80 1,000, \xEA\xB3\xA0\xEA\xB0\x80 2,000, "
         "\xEC\xA0\x80\xEA\xB0\x80 500, \xEC\xA2\x85\xEA\xB0\x80 1,500, \xEA\xB1\xB0\xEB\x9E\x98\xEB\x9F\x89 12,345"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnnounceBar({1000, 2000, 500, 1500, 12345, c.time}, c.english), c.text) << c.time;
}

TEST(ChartScrollTest, AScrolledViewSurvivesRedrawAndReloadAFollowingOneTakesNewRecords) {
    Loaded l;
    l.core.ScrollBy(-50);
    const int32_t first = l.core.FirstShown();
    l.core.Settings().crBoxLine = 255;
    l.core.Redraw();
    EXPECT_EQ(l.core.FirstShown(), first);
    l.Reload();
    EXPECT_EQ(l.core.FirstShown(), first);
    EXPECT_FALSE(l.core.Following());
    // Another code starts at its newest records again.
    l.core.Settings().strCode = "000660";
    const DayFiles other = MakeSampleDay({"000660", "", 20240105, 7, 0, false});
    l.info = InfoBytes(other.info);
    l.data = TickBytes(other.ticks);
    l.Reload();
    EXPECT_TRUE(l.core.Following());
    EXPECT_EQ(l.core.FirstShown(), l.newest());
    // A following view of a grown day shows the new newest record.
    Loaded f;
    const DayFiles day = MakeSampleDay({"005930", "", 20240105, 7, 0, false});
    std::vector<TickRecord> fewer(day.ticks.begin(), day.ticks.end() - 30);
    f.data = TickBytes(fewer);
    f.Reload();
    const int32_t before = f.core.FirstShown();
    f.data = TickBytes(day.ticks);
    f.Reload();
    EXPECT_GT(f.core.FirstShown(), before);
    EXPECT_EQ(f.core.FirstShown(), f.newest());
}

}   // namespace
