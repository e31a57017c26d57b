// sivarta-data convert: the two files of a day from a CSV of bars.
#include <iostream>

#include "data/file_readers.h"
#include "data/bar_csv.h"
#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/cp949.h"

int RunConvert(const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {"--csv", "--code", "--name", "--root", "--previous-close"}, {});
    if (!options) return kExitUsage;
    const auto csv = options->Get("--csv");
    const auto code = options->Get("--code");
    const auto name = options->Get("--name");
    const auto root = options->Get("--root");
    if (!csv || !code || !name || !root || !options->positional.empty()) {
        std::cerr << "sivarta-data convert: needs --csv FILE --code CODE --name NAME --root DIR\n";
        return kExitUsage;
    }
    if (!CheckFileCode(*code)) return kExitUsage;
    const auto cp949Name = Utf8ToCp949(*name);
    if (!cp949Name) {
        std::cerr << "sivarta-data convert: --name '" << *name << "' is not UTF-8 text that code page 949 can hold\n";
        return kExitUsage;
    }
    if (FitName(*cp949Name).size() != cp949Name->size())
        std::cerr << "sivarta-data convert: warning: name cut to the 30 bytes the info file holds\n";

    // A CSV line is at most a few dozen bytes for every 28-byte record.
    const auto text = ReadWholeFile(*csv, kMaxDataFileBytes * 4);
    if (!text) return kExitFailed;
    std::vector<TickRecord> bars;
    CsvError error;
    if (!ParseBarsCsv(*text, bars, error)) {
        std::cerr << *csv << ":" << error.line << ": field " << error.field << ": " << error.why << "\n";
        return kExitFailed;
    }
    if (bars.front().time != 90000)
        std::cerr << "sivarta-data convert: warning: the first bar is at " << bars.front().time
                  << ", not 90000; the chart skips a first record that is not the 09:00:00 one\n";

    int32_t previousClose = bars.front().open;
    if (const auto p = options->Get("--previous-close")) {
        const auto v = ParseWhole(*p, 1, INT32_MAX);
        if (!v) {
            std::cerr << "sivarta-data convert: --previous-close '" << *p << "' is not a positive price\n";
            return kExitUsage;
        }
        previousClose = static_cast<int32_t>(*v);
    }
    DayFiles day;
    day.ticks = std::move(bars);
    day.info = MakeInfo(*code, *cp949Name, day.ticks, day.ticks.back().time, previousClose);
    if (!WriteDayFiles(*root, *code, day)) return kExitFailed;
    std::cout << *code << ": " << day.ticks.size() << " records on " << day.info.date << "\n";
    return kExitOk;
}
