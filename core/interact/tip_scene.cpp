#include "interact/tip_scene.h"

#include <algorithm>
#include <vector>

#include "interact/tip_segments.h"

int32_t BuildTipScene(Scene& out, std::string_view segments, int32_t height, const TipColours& colours,
                      const TextWidthFn& measure) {
    const std::vector<TipSegment> parts = ParseTipSegments(segments);
    const int64_t wide = int64_t{measure(JoinTipText(parts))} + 2 * kTipLeftMargin;
    const int32_t width = static_cast<int32_t>(std::clamp<int64_t>(wide, 0, INT32_MAX));
    out.Reset(width, height);
    out.AddFill({0, 0, width, height}, colours.back);

    const int32_t yOff = height / 2 - kTipTextHeight / 2;
    int64_t x = kTipLeftMargin;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (x >= width) break;
        const TipSegment& segment = parts[i];
        out.AddText({static_cast<int32_t>(x), yOff, width, height}, segment.text, TextAlign::LeftSingleLine,
                    static_cast<Colour>(segment.colour), FontRole::Tip);
        // The last segment's advance places nothing: it is not measured.
        if (i + 1 < parts.size()) x += measure(segment.text);
    }
    AddTipOutline(out, width, height, colours.outline);
    return width;
}

void AddTipOutline(Scene& out, int32_t width, int32_t height, Colour colour) {
    // Top, right, bottom, left: one closed path, each side without its end point.
    const int32_t right = width - 1, bottom = height - 1;
    out.AddLine(0, 0, right, 0, colour);
    out.AddLine(right, 0, right, bottom, colour);
    out.AddLine(right, bottom, 0, bottom, colour);
    out.AddLine(0, bottom, 0, 0, colour);
}
