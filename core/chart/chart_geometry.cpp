#include "chart/chart_geometry.h"

#include <algorithm>
#include <limits>

namespace {

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}   // namespace

PaneLayout ComputePaneLayout(const Rect& client, const LayoutSettings& s) {
    PaneLayout out;
    const int64_t height = int64_t{client.bottom} - client.top;
    // The lower 7/18 of the height belongs to the volume pane and the time axis.
    const int32_t valueBottom = Clamp32(client.bottom - height * 7 / 18);
    const int64_t topGap = s.isCurrentBar != 0 ? int64_t{s.currentBarHeight} + s.gapY : s.gapY;

    out.value.left = Clamp32(int64_t{client.left} + s.gapX);
    out.value.top = Clamp32(client.top + topGap);
    out.value.right = Clamp32(int64_t{client.right} - kLabelColumn);
    out.value.bottom = valueBottom;

    out.volume.left = out.value.left;
    out.volume.top = Clamp32(int64_t{valueBottom} + 2 + 3);
    out.volume.right = out.value.right;
    out.volume.bottom = Clamp32(int64_t{client.bottom} - kBottomMargin);

    out.scrollStrip = {out.volume.left, Clamp32(int64_t{out.volume.bottom} + 2), out.volume.right,
                       Clamp32(int64_t{out.volume.bottom} + 17)};

    out.box = out.value;
    out.box.bottom = out.volume.bottom;

    const int64_t width = int64_t{out.box.right} - out.box.left;
    const int32_t slot = std::max(s.slotWidth, 1);
    out.boxWidth = Clamp32(width - width % slot);
    out.viewCount = out.boxWidth / slot;
    return out;
}

int32_t ScrollStartIndex(int32_t recordCount, int32_t viewCount) {
    if (recordCount <= viewCount) return 0;
    return Clamp32(int64_t{recordCount} - viewCount + 1);
}

ExcessArea UncoveredArea(const Rect& client, int32_t bitmapWidth, int32_t bitmapHeight) {
    ExcessArea out;
    const int32_t coverRight = Clamp32(int64_t{client.left} + std::max(bitmapWidth, 0));
    const int32_t coverBottom = Clamp32(int64_t{client.top} + std::max(bitmapHeight, 0));
    if (client.right > coverRight) out.rects[out.count++] = {coverRight, client.top, client.right, client.bottom};
    const int32_t bandRight = std::min(client.right, coverRight);
    if (client.bottom > coverBottom && bandRight > client.left)
        out.rects[out.count++] = {client.left, coverBottom, bandRight, client.bottom};
    return out;
}

Rect Rect::Intersect(const Rect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
}

Rect Rect::Translated(Point by) const {
    return {Clamp32(int64_t{left} + by.x), Clamp32(int64_t{top} + by.y), Clamp32(int64_t{right} + by.x),
            Clamp32(int64_t{bottom} + by.y)};
}
