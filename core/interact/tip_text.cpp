#include "interact/tip_text.h"

#include <string_view>

#include "chart/format_thousands.h"

const char kTipFormatEnglish[] = "%s/%s O:%s H:%s L:%s C:%s V:%s";

TimeParts SplitTipTime(int32_t time) {
    const std::string text = std::to_string(time);
    const size_t n = text.size();
    TimeParts parts;
    parts.a = n >= 4 ? text.substr(n - 4, 2) : text.substr(0, 2);
    parts.b = n >= 2 ? text.substr(n - 2) : text;
    return parts;
}

std::string FormatTipText(const char* format, const BarRecord& bar) {
    const TimeParts time = SplitTipTime(bar.time);
    const std::string values[] = {time.a,
                                  time.b,
                                  FormatThousands(bar.open),
                                  FormatThousands(bar.high),
                                  FormatThousands(bar.low),
                                  FormatThousands(bar.close),
                                  FormatThousands(bar.volume)};
    std::string text;
    size_t next = 0;
    for (std::string_view rest(format); !rest.empty();) {
        const size_t mark = rest.find("%s");
        text += rest.substr(0, mark);
        if (mark == std::string_view::npos) break;
        if (next < std::size(values)) text += values[next++];
        rest.remove_prefix(mark + 2);
    }
    return text;
}

int64_t TipBarIndex(int32_t slot, int32_t startIndex, int32_t barCount) {
    const int64_t index = static_cast<int64_t>(slot) + startIndex;
    return index >= 0 && index < barCount ? index : -1;
}
