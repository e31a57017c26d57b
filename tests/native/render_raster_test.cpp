#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "chart/raster.h"

namespace {

// Pictures as rows of letters: '.' is the background, 'a' to 'e' colours.
constexpr Colour kBack = 0x000000;
Colour Ink(char c) {
    return c == '.' ? kBack : static_cast<Colour>(0x101010 * (c - 'a' + 1));
}

std::string Picture(const PixelBuffer& b) {
    std::string out;
    for (int32_t y = 0; y < b.height; ++y) {
        for (int32_t x = 0; x < b.width; ++x) {
            char c = '?';
            for (char k : std::string(".abcde"))
                if (Ink(k) == b.At(x, y)) c = k;
            out += c;
        }
        out += '\n';
    }
    return out;
}

struct RasterCase {
    const char* name;
    std::function<void(Scene&)> build;   // on an 8 x 5 scene
    Point origin;
    const char* expected;   // the 8 x 5 buffer afterwards
};

const RasterCase kCases[] = {
    {"fill excludes right and bottom edges",
     [](Scene& s) {
         s.AddFill({1, 1, 4, 3}, Ink('a'));
     },
     {},
     "........\n"
     ".aaa....\n"
     ".aaa....\n"
     "........\n"
     "........\n"},
    {"frame outline on the inner edge, inside filled",
     [](Scene& s) {
         s.AddFrame({1, 0, 6, 4}, Ink('a'), Ink('b'));
     },
     {},
     ".aaaaa..\n"
     ".abbba..\n"
     ".abbba..\n"
     ".aaaaa..\n"
     "........\n"},
    {"frames of one and two pixels are all outline",
     [](Scene& s) {
         s.AddFrame({0, 0, 1, 3}, Ink('a'), Ink('b'));
         s.AddFrame({2, 1, 4, 3}, Ink('c'), Ink('b'));
     },
     {},
     "a.......\n"
     "a.cc....\n"
     "a.cc....\n"
     "........\n"
     "........\n"},
    {"lines leave out their end point, either direction",
     [](Scene& s) {
         s.AddLine(1, 0, 5, 0, Ink('a'));
         s.AddLine(5, 2, 1, 2, Ink('b'));   // right to left: x 2..5
         s.AddLine(7, 1, 7, 4, Ink('c'));
         s.AddLine(0, 4, 0, 1, Ink('d'));   // upwards: y 2..4
     },
     {},
     ".aaaa...\n"
     ".......c\n"
     "d.bbbb.c\n"
     "d......c\n"
     "d.......\n"},
    {"later primitives cover earlier ones",
     [](Scene& s) {
         s.AddFill({0, 0, 8, 5}, Ink('a'));
         s.AddFrame({0, 0, 8, 5}, Ink('b'), Ink('c'));
         s.AddLine(0, 2, 8, 2, Ink('d'));
     },
     {},
     "bbbbbbbb\n"
     "bccccccb\n"
     "dddddddd\n"
     "bccccccb\n"
     "bbbbbbbb\n"},
    {"everything clipped to the client area",
     [](Scene& s) {
         s.AddFrame({-2, -2, 3, 3}, Ink('a'), Ink('b'));
         s.AddFrame({6, 3, 12, 9}, Ink('c'), Ink('d'));
         s.AddLine(-5, 4, 100, 4, Ink('e'));
     },
     {},
     "bba.....\n"
     "bba.....\n"
     "aaa.....\n"
     "......cc\n"
     "eeeeeeee\n"},
    {"an offset scene stays inside its own client area",
     [](Scene& s) {
         s.Reset(3, 2);
         s.AddFrame({0, 0, 3, 2}, Ink('a'), Ink('b'));
         s.AddFill({0, 0, 100, 100}, Ink('c'));   // the builder clips it to 3 x 2
     },
     {6, 3},
     "........\n"
     "........\n"
     "........\n"
     "......cc\n"
     "......cc\n"},
    {"a scene placed far outside draws nothing",
     [](Scene& s) {
         s.AddFill({0, 0, 8, 5}, Ink('a'));
     },
     {INT_MAX - 2, INT_MIN + 1},
     "........\n"
     "........\n"
     "........\n"
     "........\n"
     "........\n"},
};

}   // namespace

TEST(Raster, ReplaysWithMemoryDcSemantics) {
    for (const RasterCase& c : kCases) {
        Scene scene;
        scene.Reset(8, 5);
        c.build(scene);
        PixelBuffer buffer(8, 5, kBack);
        Replay(scene, buffer, nullptr, c.origin);
        EXPECT_EQ(Picture(buffer), c.expected) << c.name;
    }
}

namespace {

struct TextCall {
    Rect rect, clip;
    std::string text;
    TextAlign align;
    Colour colour;
    FontRole font;
};

class RecordingPainter : public TextPainter {
public:
    void DrawText(PixelBuffer&, const Rect& rect, const Rect& clip, std::string_view cp949, TextAlign align,
                  Colour colour, FontRole font) override {
        calls.push_back({rect, clip, std::string(cp949), align, colour, font});
    }
    std::vector<TextCall> calls;
};

}   // namespace

TEST(Raster, TextGoesToThePainterInOrderWithItsClip) {
    Scene scene;
    scene.Reset(20, 10);
    scene.AddText({-5, 2, 5, 14}, "12", TextAlign::Center, 7);
    scene.AddFill({0, 0, 20, 10}, 1);
    scene.AddText({3, 1, 30, 4}, "\xC7\xF6", TextAlign::LeftSingleLine, 9, FontRole::Tip);
    RecordingPainter painter;
    PixelBuffer buffer(16, 10);
    Replay(scene, buffer, &painter, {2, 0});
    ASSERT_EQ(painter.calls.size(), 2u);
    // The rectangle moves with the origin; the clip is also cut to the buffer.
    EXPECT_EQ(painter.calls[0].rect, (Rect{-3, 2, 7, 14}));
    EXPECT_EQ(painter.calls[0].clip, (Rect{2, 2, 7, 10}));
    EXPECT_EQ(painter.calls[0].text, "12");
    EXPECT_EQ(painter.calls[0].align, TextAlign::Center);
    EXPECT_EQ(painter.calls[1].clip, (Rect{5, 1, 16, 4}));
    EXPECT_EQ(painter.calls[1].text, "\xC7\xF6");
    EXPECT_EQ(painter.calls[1].colour, 9u);
    EXPECT_EQ(painter.calls[1].font, FontRole::Tip);
    // The fill between them came first in the buffer: the painter drew over it.
    EXPECT_EQ(buffer.At(2, 0), 1u);
    EXPECT_EQ(buffer.At(0, 0), 0u);   // left of the scene's client area
}

TEST(Raster, LargeFillsKeepEveryPixelThatLaterPanesLeaveUncovered) {
    // Scenes large enough that a fill looks for what covers it: the pixels
    // must be those of painting every primitive in order.
    struct Case {
        const char* name;
        std::function<void(Scene&)> build;   // on a 120 x 90 scene
        std::vector<std::pair<Point, Colour>> expected;
    };
    const Case cases[] = {
        {"background around two panes, and between them",
         [](Scene& s) {
             s.AddFill({0, 0, 120, 90}, 1);
             s.AddFrame({10, 5, 110, 60}, 2, 3);
             s.AddFrame({10, 65, 110, 85}, 4, 5);
         },
         {{{0, 0}, 1},
          {{9, 30}, 1},
          {{110, 30}, 1},
          {{50, 62}, 1},
          {{50, 89}, 1},
          {{10, 5}, 2},
          {{109, 59}, 2},
          {{50, 30}, 3},
          {{50, 70}, 5},
          {{10, 70}, 4}}},
        {"a pane partly off the client area still covers its part",
         [](Scene& s) {
             s.AddFill({0, 0, 120, 90}, 1);
             s.AddFrame({-20, -20, 70, 70}, 2, 3);
         },
         {{{0, 0}, 3}, {{69, 10}, 2}, {{70, 10}, 1}, {{10, 70}, 1}, {{119, 89}, 1}}},
        {"a small fill over a pane's inside stays on top",
         [](Scene& s) {
             s.AddFrame({0, 0, 120, 90}, 2, 3);
             s.AddFill({40, 40, 43, 44}, 6);
             s.AddFill({0, 0, 120, 20}, 7);
         },
         {{{41, 41}, 6}, {{39, 41}, 3}, {{5, 5}, 7}, {{0, 50}, 2}, {{60, 89}, 2}}},
        {"an empty frame covers nothing",
         [](Scene& s) {
             s.AddFill({0, 0, 120, 90}, 1);
             s.AddFrame({100, 80, 10, 10}, 2, 3);
         },
         {{{50, 50}, 1}, {{10, 10}, 1}}},
    };
    for (const Case& c : cases) {
        Scene scene;
        scene.Reset(120, 90);
        c.build(scene);
        PixelBuffer buffer(120, 90, 0);
        Replay(scene, buffer, nullptr);
        for (const auto& [at, colour] : c.expected)
            EXPECT_EQ(buffer.At(at.x, at.y), colour) << c.name << " at " << at.x << "," << at.y;
    }
}

TEST(Raster, ViewsWithRedHighStoreDibPixels) {
    // A Windows DIB keeps 0x00RRGGBB; a colour reference is 0x00BBGGRR.
    std::vector<uint32_t> pixels(4 * 3, 0);
    const PixelView view{pixels.data(), 3, 3, 4, true};   // one spare pixel a row
    Scene scene;
    scene.Reset(3, 3);
    scene.AddFill({0, 0, 3, 3}, 0x00332211);
    scene.AddLine(0, 1, 3, 1, 0x00CCBBAA);
    std::vector<std::string> texts;
    scene.AddText({0, 0, 3, 3}, "x", TextAlign::Center, 0);
    ReplayIntoView(scene, view, {}, [&](const ScenePrim& p, const Rect&, const Rect&) {
        texts.push_back(std::string(scene.TextOf(p)));
    });
    EXPECT_EQ(pixels[0], 0x00112233u);
    EXPECT_EQ(pixels[4 + 2], 0x00AABBCCu);
    EXPECT_EQ(pixels[3], 0u) << "the spare pixel beyond the width";
    EXPECT_EQ(texts, std::vector<std::string>{"x"});
}
