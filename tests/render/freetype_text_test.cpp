#include <gtest/gtest.h>

#include "render/freetype_text.h"

namespace {

constexpr Colour kPaper = 0xFFFFFF;
constexpr Colour kInk = 0x9C3100;
constexpr const char kHangul[] = "\xBF\xF9";   // "월"

FreeTypeText& Text() {
    static FreeTypeText text;
    return text;
}

// The text drawn from the left at (20, 20) in a roomy buffer: what any other
// placement must reproduce, moved.
PixelBuffer Reference(const std::string& text) {
    PixelBuffer b(300, 80, kPaper);
    Text().DrawText(b, {20, 20, 300, 80}, {20, 20, 300, 80}, text, TextAlign::LeftSingleLine, kInk, FontRole::Chart);
    return b;
}

}   // namespace

TEST(FreeTypeText, WidthsAreWholeCells) {
    // Digits and signs take one 6-pixel cell, Hangul two, as GDI measures this face.
    FreeTypeText& t = Text();
    EXPECT_EQ(t.Width("0"), 6);
    EXPECT_EQ(t.Width("12,345"), 36);
    EXPECT_EQ(t.Width(kHangul), 12);
    EXPECT_EQ(t.Width(std::string("1") + kHangul + "05"), 30);
    EXPECT_EQ(t.Width("\xB4"), 6);   // an undecodable byte is one '?'
    EXPECT_EQ(t.Width(""), 0);
    EXPECT_EQ(t.CellHeight(), 11);
}

TEST(FreeTypeText, InkStaysInTheCell) {
    const PixelBuffer b = Reference("12,345" + std::string(kHangul));
    Rect ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < b.height; ++y)
        for (int32_t x = 0; x < b.width; ++x)
            if (b.At(x, y) != kPaper)
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + 36 + 12);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 20 + 11);
    EXPECT_GE(ink.bottom - ink.top, 8) << "the glyphs are drawn at full height";
}

TEST(FreeTypeText, PlacedByAlignmentAndClipped) {
    struct Case {
        const char* name;
        std::string text;
        Rect rect;
        Rect clip;
        TextAlign align;
        int32_t x;   // where the line starts
    };
    const std::string label = "12,345";   // 36 wide
    const Case cases[] = {
        {"left, single line", label, {5, 4, 100, 19}, {5, 4, 100, 19}, TextAlign::LeftSingleLine, 5},
        {"centred, even room", label, {10, 3, 60, 15}, {10, 3, 60, 15}, TextAlign::Center, 17},
        {"centred, odd room rounds toward zero", label, {10, 3, 61, 15}, {10, 3, 61, 15}, TextAlign::Center, 17},
        {"centred, wider than the rect: cut both sides",
         label,
         {20, 0, 40, 12},
         {20, 0, 40, 12},
         TextAlign::Center,
         12},
        {"centred from the left of the buffer", "1234567890", {-45, 2, 5, 14}, {0, 2, 5, 14}, TextAlign::Center, -50},
        {"centred, odd negative sum truncates", "12", {-10, 2, 3, 14}, {0, 2, 3, 14}, TextAlign::Center, -9},
        {"clipped at the bottom", label, {0, 10, 50, 16}, {0, 10, 50, 16}, TextAlign::LeftSingleLine, 0},
        {"clipped by a smaller clip", label, {0, 0, 80, 20}, {25, 2, 40, 7}, TextAlign::Center, 22},
        {"mixed Hangul, centred", "1" + std::string(kHangul), {0, 1, 30, 13}, {0, 1, 30, 13}, TextAlign::Center, 6},
    };
    for (const Case& c : cases) {
        const PixelBuffer reference = Reference(c.text);
        PixelBuffer b(90, 30, kPaper);
        Text().DrawText(b, c.rect, c.clip, c.text, c.align, kInk, FontRole::Chart);
        int32_t wrong = 0, inked = 0;
        for (int32_t y = 0; y < b.height; ++y)
            for (int32_t x = 0; x < b.width; ++x) {
                const int32_t rx = x - c.x + 20, ry = y - c.rect.top + 20;
                const bool inClip = x >= c.clip.left && x < c.clip.right && y >= c.clip.top && y < c.clip.bottom;
                const bool inReference = rx >= 0 && rx < reference.width && ry >= 0 && ry < reference.height;
                const Colour expected = inClip && inReference ? reference.At(rx, ry) : kPaper;
                wrong += b.At(x, y) != expected;
                inked += b.At(x, y) != kPaper;
            }
        EXPECT_EQ(wrong, 0) << c.name;
        EXPECT_GT(inked, 0) << c.name;
    }
}

TEST(FreeTypeText, CentredTextBreaksLinesOneCellApart) {
    for (const std::string breakText : {"\r\n", "\n", "\r"}) {
        PixelBuffer two(60, 40, kPaper), one(60, 40, kPaper);
        Text().DrawText(two, {0, 0, 60, 40}, {0, 0, 60, 40}, "12" + breakText + "3456", TextAlign::Center, kInk,
                        FontRole::Chart);
        Text().DrawText(one, {0, 0, 60, 40}, {0, 0, 60, 40}, "12", TextAlign::Center, kInk, FontRole::Chart);
        Text().DrawText(one, {0, 11, 60, 40}, {0, 11, 60, 40}, "3456", TextAlign::Center, kInk, FontRole::Chart);
        EXPECT_EQ(two.pixels, one.pixels) << "break of " << breakText.size() << " byte(s)";
    }
}

TEST(FreeTypeText, AntialiasedEdgesLieBetweenPaperAndInk) {
    // Partly covered pixels are pulled from the paper toward the ink in every
    // channel, never past it.
    const PixelBuffer b = Reference("8" + std::string(kHangul));
    int32_t partial = 0;
    for (const Colour c : b.pixels) {
        if (c == kPaper || c == kInk) continue;
        ++partial;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t v = (c >> shift) & 0xff, lo = std::min((kInk >> shift) & 0xff, (kPaper >> shift) & 0xff),
                           hi = std::max((kInk >> shift) & 0xff, (kPaper >> shift) & 0xff);
            EXPECT_TRUE(v >= lo && v <= hi) << std::hex << c;
        }
    }
    EXPECT_GT(partial, 0);
}
