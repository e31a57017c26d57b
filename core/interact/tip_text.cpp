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

namespace {

// UTF-8 as escapes: the Windows build compiles its literals to code page 949.
// "시", "분", "시가", "고가", "저가", "종가", "거래량"
constexpr const char* kKoreanWords[] = {"\xEC\x8B\x9C",
                                        "\xEB\xB6\x84",
                                        "\xEC\x8B\x9C\xEA\xB0\x80",
                                        "\xEA\xB3\xA0\xEA\xB0\x80",
                                        "\xEC\xA0\x80\xEA\xB0\x80",
                                        "\xEC\xA2\x85\xEA\xB0\x80",
                                        "\xEA\xB1\xB0\xEB\x9E\x98\xEB\x9F\x89"};

std::string TwoDigits(int32_t n) {
    return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

}   // namespace

std::string AnnounceBar(const BarRecord& bar, bool english) {
    const TimeParts time = SplitTipTime(bar.time);
    const bool clock = bar.time >= 0 && bar.time < 240000;
    std::string hour = clock ? std::to_string(bar.time / 10000) : time.a;
    if (hour.size() < 2) hour.insert(0, "0");
    const std::string minute = clock ? TwoDigits(bar.time / 100 % 100) : time.b;
    const std::string values[] = {FormatThousands(bar.open), FormatThousands(bar.high), FormatThousands(bar.low),
                                  FormatThousands(bar.close), FormatThousands(bar.volume)};
    std::string text;
    if (english) {
        text = hour + (clock ? ":" : "/") + minute;
        const char* names[] = {"open", "high", "low", "close", "volume"};
        for (int i = 0; i < 5; ++i) text.append(", ").append(names[i]).append(" ").append(values[i]);
        return text;
    }
    text = clock ? hour + kKoreanWords[0] + " " + minute + kKoreanWords[1] : hour + "/" + minute;
    for (int i = 0; i < 5; ++i) text.append(", ").append(kKoreanWords[i + 2]).append(" ").append(values[i]);
    return text;
}
