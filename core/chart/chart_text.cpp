#include "chart/chart_text.h"

#include "chart/format_thousands.h"

namespace {

// First two and last two of the last four characters, whatever the length.
struct MonthDay {
    std::string_view first, second;
};

MonthDay LastFour(std::string_view text) {
    const std::string_view four = text.size() > 4 ? text.substr(text.size() - 4) : text;
    const std::string_view first = four.substr(0, 2);
    const std::string_view second = four.size() > 2 ? four.substr(four.size() - 2) : four;
    return {first, second};
}

}   // namespace

TimeLabelParts SplitTime(std::string_view text) {
    TimeLabelParts parts;
    if (text.size() > 4) parts.hour = text.substr(0, text.size() - 4);
    const MonthDay md = LastFour(text);
    parts.label.append(md.first).append("/").append(md.second);
    return parts;
}

bool NextTimeLabel(std::string& lastHour, int32_t& count, std::string_view hour) {
    if (hour != lastHour) {
        lastHour = hour;
        return false;
    }
    if (count == 15) {
        count = 0;
        return true;
    }
    ++count;
    return false;
}

std::string CurrentBarText(const char* format, int32_t time, int32_t close, int32_t volume) {
    const std::string digits = std::to_string(time);
    const MonthDay md = LastFour(digits);
    const std::string fields[4] = {std::string(md.first), std::string(md.second), FormatThousands(close),
                                   FormatThousands(volume)};
    // Our own substitution: the format's other text is copied as it stands.
    std::string text;
    std::string_view rest = format;
    for (const std::string& field : fields) {
        const size_t mark = rest.find("%s");
        if (mark == std::string_view::npos) break;
        text.append(rest.substr(0, mark)).append(field);
        rest.remove_prefix(mark + 2);
    }
    return text.append(rest);
}
