#include "activex/chart/scene_replay.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "chart/raster.h"
#include "activex/framework/gdi.h"

namespace {

// The pens and brushes of one replay, one per colour, deleted at its end.
class ColourObjects {
public:
    HPEN PenFor(Colour colour) { return Find(pens, colour).Get(); }
    HBRUSH BrushFor(Colour colour) { return Find(brushes, colour).Get(); }

private:
    template <typename Object>
    static Object& Find(std::vector<std::pair<Colour, Object>>& cache, Colour colour) {
        for (auto& [c, object] : cache)
            if (c == colour) return object;
        return cache.emplace_back(colour, Object(static_cast<COLORREF>(colour))).second;
    }

    std::vector<std::pair<Colour, Pen>> pens;
    std::vector<std::pair<Colour, SolidBrush>> brushes;
};

UINT TextFormat(TextAlign align) {
    return align == TextAlign::Center ? DT_CENTER : DT_SINGLELINE | DT_LEFT | DT_TOP;
}

RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The DC's pen, brush, font and text colour as the replay last set them, so
// a run of primitives in one colour selects its objects once.
class DcState {
public:
    explicit DcState(HDC dc) : dc(dc) {}
    void Pen(HPEN pen) { Select(pen, currentPen); }
    void Brush(HBRUSH brush) { Select(brush, currentBrush); }
    void Font(HFONT font) { Select(font, currentFont); }
    void TextColour(Colour colour) {
        if (colour == textColour) return;
        SetTextColor(dc, static_cast<COLORREF>(colour));
        textColour = colour;
    }

private:
    void Select(HGDIOBJ object, HGDIOBJ& current) {
        if (!object || object == current) return;
        SelectObject(dc, object);
        current = object;
    }

    HDC dc;
    HGDIOBJ currentPen = nullptr, currentBrush = nullptr, currentFont = nullptr;
    Colour textColour = 0xFFFFFFFF;   // no colour reference: the first text sets it
};

}   // namespace

void ReplayScene(HDC dc, const Scene& scene, const SceneFonts& fonts) {
    if (!dc) return;
    ColourObjects objects;   // outlives the DC state restored below
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    DcState state(dc);
    for (const ScenePrim& p : scene.Prims()) {
        RECT r = ToRECT(p.rect);
        switch (p.kind) {
        case PrimKind::Fill:
            // FillRect's own fill, with the brush selected once for a run of one colour.
            state.Brush(objects.BrushFor(p.colour));
            PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
            break;
        case PrimKind::Frame:
            state.Pen(objects.PenFor(p.colour));
            state.Brush(objects.BrushFor(p.fill));
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            break;
        case PrimKind::Line: {
            state.Pen(objects.PenFor(p.colour));
            const POINT ends[2] = {{r.left, r.top}, {r.right, r.bottom}};
            Polyline(dc, ends, 2);   // as MoveToEx and LineTo: the end point stays out
            break;
        }
        case PrimKind::Text: {
            const std::string_view text = scene.TextOf(p);
            state.Font(p.font == FontRole::Tip ? fonts.tip : fonts.chart);
            state.TextColour(p.colour);
            DrawTextA(dc, text.data(), static_cast<int>(std::min<size_t>(text.size(), INT_MAX)), &r,
                      TextFormat(p.align));
            break;
        }
        }
    }
    RestoreDC(dc, saved);
}

namespace {

// GDI draws nothing for a one-pixel rectangle; the core's raster draws its outline pixel.
bool HasOnePixelFrame(const Scene& scene) {
    for (const ScenePrim& p : scene.Prims())
        if (p.kind == PrimKind::Frame && p.rect.right - p.rect.left == 1 && p.rect.bottom - p.rect.top == 1)
            return true;
    return false;
}

}   // namespace

void ReplaySceneIntoBits(HDC dc, uint32_t* bits, SIZE size, const Scene& scene, const SceneFonts& fonts) {
    if (!dc || !bits) return;
    if (HasOnePixelFrame(scene)) return ReplayScene(dc, scene, fonts);
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    DcState state(dc);
    // GDI may batch its drawing: what it drew lands before the next direct write.
    GdiFlush();
    const PixelView view{bits, size.cx, size.cy, static_cast<size_t>(size.cx), true};
    ReplayIntoView(scene, view, {}, [&](const ScenePrim& p, const Rect& rect, const Rect&) {
        const std::string_view text = scene.TextOf(p);
        RECT r = ToRECT(rect);
        state.Font(p.font == FontRole::Tip ? fonts.tip : fonts.chart);
        state.TextColour(p.colour);
        DrawTextA(dc, text.data(), static_cast<int>(std::min<size_t>(text.size(), INT_MAX)), &r, TextFormat(p.align));
        GdiFlush();
    });
    RestoreDC(dc, saved);
}
