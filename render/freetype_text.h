// The scene's text drawn with FreeType in the face the Windows side uses for
// "굴림체" (Nanum Gothic Coding), 11 pixels high, rendered the way Wine's GDI
// draws it on a memory DC. One instance per thread: it caches glyphs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "render/cp949_decode.h"
#include "chart/raster.h"

inline constexpr const char* kDefaultFontFile = "/usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf";

class FreeTypeText : public TextPainter {
public:
    // Throws std::runtime_error when the face cannot be loaded.
    explicit FreeTypeText(const std::string& fontFile = kDefaultFontFile, int32_t cellHeight = 11);
    ~FreeTypeText() override;

    void DrawText(PixelBuffer& buffer, const Rect& rect, const Rect& clip, std::string_view cp949, TextAlign align,
                  Colour colour, FontRole font) override;

    // The width GetTextExtentPoint32 reports: the sum of the advances.
    int32_t Width(std::string_view cp949);
    int32_t CellHeight() const { return cellHeight; }

private:
    struct Glyph {
        int32_t left = 0;   // bitmap origin relative to the pen, x right
        int32_t top = 0;    // and y down from the cell's top
        int32_t width = 0;
        int32_t rows = 0;
        int32_t advance = 0;
        std::vector<uint8_t> coverage;   // width x rows, 0 (none) to 16 (full)
    };
    struct FreeTypeState;

    const Glyph& GlyphOf(char32_t code);
    int32_t LineWidth(std::u32string_view line);
    void DrawLine(PixelBuffer& buffer, std::u32string_view line, int32_t x, int32_t y, const Rect& clip, Colour colour);

    std::unique_ptr<FreeTypeState> ft;
    Cp949Decoder decoder;
    std::unordered_map<char32_t, Glyph> glyphs;
    int32_t cellHeight = 0;
    int32_t ascent = 0;
    int32_t halfAdvance = 0;         // fixed pitch: the half-width cell
    int32_t fullAdvanceHinted = 0;   // and the full width a hinted glyph has
};
