// Text rules of the chart: time labels under the volume pane and the
// current-price strip. Portable: no Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A time written with "%d": the hour part is all but the last four characters
// (empty for four or fewer); the label is the first two of the last four, "/",
// then the last two. 93000 -> "9" and "30/00".
struct TimeLabelParts {
    std::string hour;
    std::string label;
};
TimeLabelParts SplitTime(std::string_view text);

// The labelling rule of one drawing pass: a change of hour only records the
// hour; otherwise every sixteenth record of the run gets a label. Returns true
// when this record gets one. lastHour and count are the chart's strLastHour and
// nLabelCount.
bool NextTimeLabel(std::string& lastHour, int32_t& count, std::string_view hour);

// The strip's text from the last record: the four "%s" of `format` receive the
// month and day (from the last four digits of its time), then the close and
// the volume grouped by thousands. The Korean format lives with the Windows
// code, which stores it in the system's code page.
std::string CurrentBarText(const char* format, int32_t time, int32_t close, int32_t volume);
