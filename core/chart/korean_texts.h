// The chart's Korean texts as code page 949 bytes, written as escapes so every
// build (the Windows one, the native one, WebAssembly) holds the same bytes
// whatever its compiler's execution character set. Portable: no Windows header.
#pragma once

// "%s월%s일 현재가%s 거래량%s": the current-price strip.
inline constexpr char kStripFormat[] = "%s\xBF\xF9%s\xC0\xCF \xC7\xF6\xC0\xE7\xB0\xA1%s \xB0\xC5\xB7\xA1\xB7\xAE%s";
// "만": the unit of volume labels counted in ten thousands.
inline constexpr char kTenThousandsUnit[] = "\xB8\xB8";
// "%s/%s 시%s 고%s 저%s 종%s 거%s": the tooltip's line.
inline constexpr char kTipFormatKorean[] = "%s/%s \xBD\xC3%s \xB0\xED%s \xC0\xFA%s \xC1\xBE%s \xB0\xC5%s";
// "달모로 제공": the tooltip's first text.
inline constexpr char kTipFirstText[] = "\xB4\xDE\xB8\xF0\xB7\xCE \xC1\xA6\xB0\xF8";
// "굴림체": the face of the chart's and the tooltip's font.
inline constexpr char kChartFaceName[] = "\xB1\xBC\xB8\xB2\xC3\xBC";
