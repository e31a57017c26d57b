#include "render/freetype_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <stdexcept>

struct FreeTypeText::FreeTypeState {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeState() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

int32_t RoundF26(FT_Pos v) {
    return static_cast<int32_t>((v + 32) >> 6);
}

// a * b / c rounded to nearest, as the Windows MulDiv.
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
    return (a * b + c / 2) / c;
}

}   // namespace

FreeTypeText::FreeTypeText(const std::string& fontFile, int32_t height)
    : ft(std::make_unique<FreeTypeState>()), cellHeight(height) {
    if (FT_Init_FreeType(&ft->library) || FT_New_Face(ft->library, fontFile.c_str(), 0, &ft->face))
        throw std::runtime_error("cannot load the font " + fontFile);
    FT_Face face = ft->face;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (!FT_IS_SCALABLE(face) || !os2 || os2->usWinAscent + os2->usWinDescent == 0)
        throw std::runtime_error("not a usable TrueType face: " + fontFile);
    // A positive LOGFONT height is the cell height: the em is scaled so that
    // the Windows ascent plus descent fill it.
    const auto ppem = static_cast<FT_UInt>(MulDiv(face->units_per_EM, height, os2->usWinAscent + os2->usWinDescent));
    if (FT_Set_Pixel_Sizes(face, 0, ppem)) throw std::runtime_error("cannot size the font " + fontFile);
    ascent = RoundF26(FT_MulFix(os2->usWinAscent, face->size->metrics.y_scale));
    // In a fixed-pitch face GDI gives a full-width character exactly two
    // half-width cells (an 11-pixel Hangul syllable takes 12 next to 6-pixel
    // digits), so columns of mixed text stay aligned.
    if (FT_IS_FIXED_WIDTH(face) && os2->xAvgCharWidth > 0) {
        const auto emScale = static_cast<FT_Long>(MulDiv(ppem, 1 << 16, face->units_per_EM));
        halfAdvance = static_cast<int32_t>(FT_MulFix(os2->xAvgCharWidth, emScale));
        fullAdvanceHinted = static_cast<int32_t>(FT_MulFix(os2->xAvgCharWidth * 2, emScale));
    }
}

FreeTypeText::~FreeTypeText() = default;

const FreeTypeText::Glyph& FreeTypeText::GlyphOf(char32_t code) {
    const auto found = glyphs.find(code);
    if (found != glyphs.end()) return found->second;
    Glyph& glyph = glyphs[code];
    FT_Face face = ft->face;
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL)) return glyph;
    // Hinted metrics and the hinted outline in 256 grey levels, as Wine's GDI
    // asks FreeType for them.
    glyph.advance = static_cast<int32_t>((face->glyph->metrics.horiAdvance + 63) >> 6);
    if (halfAdvance > 0 && glyph.advance == fullAdvanceHinted) glyph.advance = 2 * halfAdvance;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) return glyph;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = ascent - face->glyph->bitmap_top;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.rows = static_cast<int32_t>(bitmap.rows);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.rows));
    // Folded to the 17 levels (0 to 16) of a GGO_GRAY4 glyph the way Wine folds them.
    for (int32_t y = 0; y < glyph.rows; ++y)
        for (int32_t x = 0; x < glyph.width; ++x) {
            const unsigned v = bitmap.buffer[y * bitmap.pitch + x];
            glyph.coverage[static_cast<size_t>(y * glyph.width + x)] = static_cast<uint8_t>(v * 17 / 256);
        }
    return glyph;
}

int32_t FreeTypeText::LineWidth(std::u32string_view line) {
    int32_t width = 0;
    for (char32_t c : line) width += GlyphOf(c).advance;
    return width;
}

int32_t FreeTypeText::Width(std::string_view cp949) {
    return LineWidth(decoder.Decode(cp949));
}

namespace {

// Anti-aliased text the way Wine's DIB engine blends it: each of the 17
// coverage levels pulls every channel toward the text colour within a range
// that depends on the text colour's channel.
constexpr uint8_t kRamp[17] = {0,    0x4d, 0x68, 0x7c, 0x8c, 0x9a, 0xa7, 0xb2, 0xbd,
                               0xc7, 0xd0, 0xd9, 0xe1, 0xe9, 0xf0, 0xf8, 0xff};

uint32_t BlendChannel(uint32_t dst, uint32_t text, unsigned level) {
    if (dst == text) return dst;
    if (dst > text) {
        const uint32_t max = kRamp[16 - level] + ((0xffu - kRamp[16 - level]) * text) / 0xffu;
        return text + ((dst - text) * (max - text)) / (0xffu - text);
    }
    const uint32_t min = (kRamp[level] * text) / 0xffu;
    return text - ((text - dst) * (text - min)) / text;
}

Colour Blend(Colour dst, Colour text, unsigned level) {
    Colour out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= BlendChannel((dst >> shift) & 0xff, (text >> shift) & 0xff, level) << shift;
    return out;
}

}   // namespace

void FreeTypeText::DrawLine(PixelBuffer& buffer, std::u32string_view line, int32_t x, int32_t y, const Rect& clip,
                            Colour colour) {
    int64_t pen = x;
    for (char32_t c : line) {
        const Glyph& glyph = GlyphOf(c);
        const int64_t gx = pen + glyph.left;
        const int64_t gy = int64_t{y} + glyph.top;
        pen += glyph.advance;
        for (int32_t row = 0; row < glyph.rows; ++row) {
            const int64_t py = gy + row;
            if (py < clip.top || py >= clip.bottom) continue;
            for (int32_t col = 0; col < glyph.width; ++col) {
                const int64_t px = gx + col;
                if (px < clip.left || px >= clip.right) continue;
                const unsigned level = glyph.coverage[static_cast<size_t>(row * glyph.width + col)];
                if (level <= 1) continue;
                Colour& dst = buffer.At(static_cast<int32_t>(px), static_cast<int32_t>(py));
                dst = level >= 16 ? colour : Blend(dst, colour, level);
            }
        }
        if (pen >= clip.right) break;
    }
}

// Both font roles are the same face and height.
void FreeTypeText::DrawText(PixelBuffer& buffer, const Rect& rect, const Rect& clip, std::string_view cp949,
                            TextAlign align, Colour colour, FontRole) {
    const std::u32string text = decoder.Decode(cp949);
    std::u32string_view rest = text;
    int64_t y = rect.top;
    for (;;) {
        // DT_CENTER without DT_SINGLELINE breaks lines at CR, LF and CR LF;
        // the last line drawn is the first that reaches the rectangle's bottom.
        size_t end = rest.size();
        if (align == TextAlign::Center) end = std::min(rest.find(U'\r'), rest.find(U'\n'));
        const std::u32string_view line = rest.substr(0, end);
        const bool last = y + cellHeight > rect.bottom;
        const int64_t width = LineWidth(line);
        const int64_t x = align == TextAlign::Center ? (int64_t{rect.left} + rect.right - width) / 2 : rect.left;
        if (y < clip.bottom)
            DrawLine(buffer, line, static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
                     static_cast<int32_t>(y), clip, colour);
        if (end >= rest.size() || last) break;
        rest.remove_prefix(end);
        if (rest.size() >= 2 && rest[0] == U'\r' && rest[1] == U'\n')
            rest.remove_prefix(2);
        else
            rest.remove_prefix(1);
        y += cellHeight;
    }
}
