// The scene of a redraw: what the chart draws, checked as data, natively.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "chart/chart_model.h"
#include "interact/tip_scene.h"

namespace {

struct BarSpec {
    int32_t time, open, high, low, close, volume;
};

ChartModel Draw(int32_t width, int32_t height, const std::vector<BarSpec>& bars, const ChartSettings& settings = {}) {
    ChartModel m;
    m.settings = settings;
    m.rcClient = {0, 0, width, height};
    m.ResetSeries();
    for (const BarSpec& b : bars) m.AddBar(b.time, b.open, b.high, b.low, b.close, b.volume);
    m.DrawChart(false);
    return m;
}

std::vector<const ScenePrim*> Find(const Scene& s, PrimKind kind, Colour colour) {
    std::vector<const ScenePrim*> found;
    for (const ScenePrim& p : s.Prims())
        if (p.kind == kind && p.colour == colour) found.push_back(&p);
    return found;
}

std::vector<std::string> Texts(const Scene& s) {
    std::vector<std::string> texts;
    for (const ScenePrim& p : s.Prims())
        if (p.kind == PrimKind::Text) texts.emplace_back(s.TextOf(p));
    return texts;
}

const std::vector<BarSpec> kDay = {
    {90000, 1000, 1020, 990, 1010, 500},   // up
    {90100, 1010, 1015, 980, 990, 2000},   // down
    {90200, 990, 990, 990, 990, 0},        // flat, no volume
    {1208, 990, 1030, 970, 1000, 3000},    // the bar from the info file (MMDD time)
};

}   // namespace

TEST(ChartScene, WorkedExampleDrawsPanesCandlesBarsLabelsAndStrip) {
    const ChartSettings s;
    const ChartModel m = Draw(228, 190, kDay, s);
    const auto prims = m.scene.Prims();
    ASSERT_GE(prims.size(), 3u);
    // Background, then the frame of both panes, then the volume pane.
    EXPECT_EQ(prims[0].kind, PrimKind::Fill);
    EXPECT_EQ(prims[0].rect, (Rect{0, 0, 228, 190}));
    EXPECT_EQ(prims[1].kind, PrimKind::Frame);
    EXPECT_EQ(prims[1].rect, (Rect{5, 23, 185, 172}));
    EXPECT_EQ(prims[1].fill, static_cast<Colour>(s.crValueBackGround));
    EXPECT_EQ(prims[2].rect, (Rect{5, 122, 185, 172}));
    EXPECT_EQ(prims[2].fill, static_cast<Colour>(s.crVolumeBackGround));

    // Candle k has its centre column at 5 + 3 + 3k; a close above the open is
    // an up candle, anything else (a flat one too) a down candle.
    const auto up = Find(m.scene, PrimKind::Fill, static_cast<Colour>(s.crHighCandle));
    const auto down = Find(m.scene, PrimKind::Fill, static_cast<Colour>(s.crLowCandle));
    ASSERT_EQ(up.size(), 2u);
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(up[0]->rect.left, 7);
    EXPECT_EQ(up[0]->rect.right, 10);
    EXPECT_EQ(down[0]->rect.left, 10);
    EXPECT_EQ(down[1]->rect.left, 13);
    EXPECT_EQ(down[1]->rect.bottom - down[1]->rect.top, 1);   // flat: one row
    EXPECT_EQ(up[1]->rect.left, 16);
    // Wicks: two vertical lines per candle on its centre column, inside the pane.
    const auto wicks = Find(m.scene, PrimKind::Line, static_cast<Colour>(s.crHighCandle));
    ASSERT_EQ(wicks.size(), 4u);
    for (const ScenePrim* w : wicks) {
        EXPECT_EQ(w->rect.left, w->rect.right);
        EXPECT_TRUE(w->rect.left == 8 || w->rect.left == 17);
        EXPECT_GE(w->rect.top, 23);
        EXPECT_LE(w->rect.bottom, 117);
    }

    // Volume bars stand on the volume pane's bottom; zero volume draws none.
    const auto sticks = Find(m.scene, PrimKind::Fill, static_cast<Colour>(s.crStick));
    ASSERT_EQ(sticks.size(), 3u);
    for (const ScenePrim* bar : sticks) EXPECT_EQ(bar->rect.bottom, 172);
    EXPECT_EQ(sticks[0]->rect.left, 7);
    EXPECT_LT(sticks[2]->rect.top, sticks[1]->rect.top);
    EXPECT_LT(sticks[1]->rect.top, sticks[0]->rect.top);
    EXPECT_GE(sticks[2]->rect.top, 122);

    // Five price rows labelled on both sides, three volume rows, the strip last.
    const std::vector<std::string> texts = Texts(m.scene);
    ASSERT_EQ(texts.size(), 14u);
    EXPECT_EQ(texts.back(), "12\xBF\xF9"
                            "08\xC0\xCF \xC7\xF6\xC0\xE7\xB0\xA1"
                            "1,000 \xB0\xC5\xB7\xA1\xB7\xAE"
                            "3,000");
    const ScenePrim& strip = *Find(m.scene, PrimKind::Text, static_cast<Colour>(s.crCurrentBarText)).back();
    EXPECT_EQ(strip.rect, (Rect{5, 4, 228, 19}));
    EXPECT_EQ(strip.align, TextAlign::LeftSingleLine);
    EXPECT_EQ(texts[0], texts[1]);   // the same price left and right of its row

    // English volume labels are plain numbers.
    ChartSettings english;
    english.strType = "ENG";
    const std::vector<std::string> plain = Texts(Draw(228, 190, kDay, english).scene);
    EXPECT_EQ(plain[10], "0");
}

TEST(ChartScene, HostileSettingsAndValuesStayInsideTheClientArea) {
    const std::vector<BarSpec> extreme = {
        {90000, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX},
        {90100, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN},   // high below low
        {90200, 0, 5, -5, 1, -1},
    };
    struct Case {
        int32_t width, height, gapX, gapY, strip;
    } cases[] = {
        {228, 190, 5, 4, 1},
        {228, 190, INT32_MAX, INT32_MAX, 1},
        {228, 190, INT32_MIN, INT32_MIN, 1},
        {228, 190, INT32_MIN, INT32_MAX, 0},
        {0, 0, 5, 4, 1},
        {1, 1, 5, 4, 1},
        {30, 20, -100, -100, 2},
        {4096, 4096, -2000000000, 2000000000, 1},
        {60000, 30, 5, 4, 1},
    };
    for (const Case& c : cases) {
        ChartSettings s;
        s.nsizeGapX = c.gapX;
        s.nsizeGapY = c.gapY;
        s.nIsCurrentBar = c.strip;
        for (const auto& bars : {extreme, kDay}) {
            const ChartModel m = Draw(c.width, c.height, bars, s);
            const Rect client{0, 0, c.width, c.height};
            for (const ScenePrim& p : m.scene.Prims()) {
                const Rect& r = p.rect;
                SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " gaps " << c.gapX << "," << c.gapY
                                                << " kind " << int(p.kind));
                if (p.kind == PrimKind::Fill || p.kind == PrimKind::Line) {
                    EXPECT_GE(r.left, 0);
                    EXPECT_GE(r.top, 0);
                    EXPECT_LE(r.right, client.right);
                    EXPECT_LE(r.bottom, client.bottom);
                } else {
                    // Frames and texts keep their rectangle but touch the client area.
                    EXPECT_LT(r.left, client.right);
                    EXPECT_LT(r.top, client.bottom);
                    EXPECT_GT(r.right, 0);
                    EXPECT_GT(r.bottom, 0);
                }
            }
        }
    }
}

TEST(ChartScene, PrimitivesAreClippedWithoutChangingTheirPixels) {
    struct LineCase {
        int32_t x0, y0, x1, y1;
        Rect stored;   // forwards, clipped to 10x10; left == right means no line
        bool drawn;
    } lines[] = {
        {2, 3, 7, 3, {2, 3, 7, 3}, true},      // end point excluded: 2..6
        {7, 3, 2, 3, {3, 3, 8, 3}, true},      // backwards covers 3..7
        {4, 9, 4, 1, {4, 2, 4, 10}, true},     // backwards vertical covers 2..9
        {-5, 0, 50, 0, {0, 0, 10, 0}, true},   // clipped at both ends
        {INT32_MAX, 5, INT32_MIN, 5, {0, 5, 10, 5}, true},
        {3, 3, 3, 3, {}, false},     // no length
        {0, 10, 9, 10, {}, false},   // below the client area
        {-3, 2, 0, 2, {}, false},    // ends where the area starts
    };
    for (const LineCase& c : lines) {
        Scene s;
        s.Reset(10, 10);
        s.AddLine(c.x0, c.y0, c.x1, c.y1, 1);
        ASSERT_EQ(s.Prims().size(), c.drawn ? 1u : 0u) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
        if (c.drawn) EXPECT_EQ(s.Prims()[0].rect, c.stored) << c.x0 << "," << c.y0;
    }
    Scene s;
    s.Reset(10, 10);
    s.AddFill({-5, -5, 3, 20}, 1);                           // clipped: same pixels
    s.AddFill({4, 4, 4, 8}, 1);                              // empty: nothing
    s.AddFrame({-5, 2, 3, 20}, 1, 2);                        // kept whole: its edges would move if clipped
    s.AddText({20, 0, 40, 10}, "x", TextAlign::Center, 1);   // outside: dropped
    s.AddText({-20, 0, 5, 10}, "", TextAlign::Center, 1);    // no text: dropped
    ASSERT_EQ(s.Prims().size(), 2u);
    EXPECT_EQ(s.Prims()[0].rect, (Rect{0, 0, 3, 10}));
    EXPECT_EQ(s.Prims()[1].rect, (Rect{-5, 2, 3, 20}));
}

TEST(ChartScene, CrosshairSnapsToTheSlotAndTooltipSitsInItsOutline) {
    const ChartModel m = Draw(228, 190, kDay);
    Scene cross;
    m.BuildCrosshair(cross, 12, 50);   // column 12 belongs to the slot line at 14
    ASSERT_EQ(cross.Prims().size(), 2u);
    EXPECT_EQ(cross.Prims()[0].rect, (Rect{14, 23, 14, 172}));
    EXPECT_EQ(cross.Prims()[1].rect, (Rect{5, 50, 185, 50}));
    EXPECT_EQ(cross.Prims()[0].colour, ChartModel::kCrosshairColour);
    EXPECT_EQ(*m.TipText(0), "00/00 \xBD\xC3"
                             "1,000 \xB0\xED"
                             "1,020 \xC0\xFA"
                             "990 \xC1\xBE"
                             "1,010 \xB0\xC5"
                             "500");
    EXPECT_FALSE(m.TipText(4).has_value());

    // 6 pixels a byte: "ab" then "cde" in their own colours after the margin.
    Scene tip;
    const int32_t width = BuildTipScene(tip, "255;ab\r\n0;cde\r\n", 20, {0xEEEEEE, 0x123456},
                                        [](std::string_view t) { return int32_t(t.size() * 6); });
    EXPECT_EQ(width, 30 + 20);
    const auto prims = tip.Prims();
    ASSERT_EQ(prims.size(), 7u);
    EXPECT_EQ(prims[0].rect, (Rect{0, 0, 50, 20}));
    EXPECT_EQ(prims[1].rect, (Rect{10, 5, 50, 20}));
    EXPECT_EQ(prims[1].colour, 255u);
    EXPECT_EQ(prims[2].rect.left, 22);
    EXPECT_EQ(prims[2].font, FontRole::Tip);
    EXPECT_EQ(prims[3].rect, (Rect{0, 0, 49, 0}));   // top, right, bottom, left
    EXPECT_EQ(prims[4].rect, (Rect{49, 0, 49, 19}));
    EXPECT_EQ(prims[5].rect, (Rect{1, 19, 50, 19}));
    EXPECT_EQ(prims[6].rect, (Rect{0, 1, 0, 20}));
}

// A replay planned for one scene serves another only when their shapes agree:
// the same primitives and texts, each colour slot holding any colour.
TEST(ChartScene, ShapePrintIgnoresWhichColourEachSlotHoldsAndNothingElse) {
    const auto build = [](Colour a, Colour b, Colour inside, int32_t right, std::string_view text) {
        Scene s;
        s.Reset(100, 50);
        s.AddFill({0, 0, 100, 50}, a);
        s.AddFrame({10, 10, right, 40}, b, inside);
        s.AddLine(0, 45, 100, 45, a);
        s.AddText({10, 10, 90, 30}, text, TextAlign::Center, b);
        return s;
    };
    std::vector<Colour> baseColours;
    const uint64_t base = ShapePrint(build(1, 2, 3, 90, "52,300"), baseColours);
    EXPECT_EQ(baseColours, (std::vector<Colour>{1, 2, 3}));
    struct Case {
        const char* what;
        Scene scene;
        bool same;
    };
    const Case cases[] = {
        {"the same scene", build(1, 2, 3, 90, "52,300"), true},
        {"every slot recoloured", build(7, 8, 9, 90, "52,300"), true},
        {"two slots swapped", build(2, 1, 3, 90, "52,300"), true},
        {"two slots become one colour", build(1, 1, 3, 90, "52,300"), false},
        {"a frame one pixel narrower", build(1, 2, 3, 89, "52,300"), false},
        {"one text byte changed", build(1, 2, 3, 90, "52,400"), false},
        {"a longer text", build(1, 2, 3, 90, "52,3000"), false},
    };
    for (const Case& c : cases) {
        std::vector<Colour> colours;
        EXPECT_EQ(ShapePrint(c.scene, colours) == base, c.same) << c.what;
    }
}
