// sivarta-data sample: reproducible synthetic days for one or more codes.
#include <ctime>
#include <iostream>

#include "tools/sivarta-data/commands.h"
#include "tools/sivarta-data/cp949.h"
#include "data/sample_day.h"

namespace {

struct KnownName {
    const char* code;
    const char* name;
    int32_t previousClose;
};

// Names in UTF-8; the info file gets them in code page 949.
constexpr KnownName kKnownNames[] = {
    {"005930", "삼성전자", 71'000}, {"000660", "SK하이닉스", 135'000}, {"035420", "NAVER", 190'000},
    {"005380", "현대차", 185'000},  {"051910", "LG화학", 450'000},     {"035720", "카카오", 48'000},
};
constexpr const char* kOtherNames[] = {"한빛전자", "대한제강", "서울바이오", "동해해운", "새벽식품", "미래통신"};

// A known code keeps its real name and price level; others get a name from the list.
KnownName Describe(const std::string& code) {
    for (const KnownName& k : kKnownNames)
        if (code == k.code) return k;
    unsigned sum = 0;
    for (unsigned char c : code) sum = sum * 31 + c;
    return {code.c_str(), kOtherNames[sum % std::size(kOtherNames)], 0};
}

int32_t Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

}   // namespace

int RunSample(const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {"--root", "--code", "--date", "--seed"}, {"--seconds"});
    if (!options) return kExitUsage;
    const auto root = options->Get("--root");
    const std::vector<std::string> codes = options->All("--code");
    if (!root || codes.empty() || !options->positional.empty()) {
        std::cerr << "sivarta-data sample: needs --root DIR and at least one --code CODE\n";
        return kExitUsage;
    }

    SampleRequest request;
    request.seconds = options->Has("--seconds");
    request.date = Today();
    if (const auto date = options->Get("--date")) {
        const auto d = ParseWhole(*date, 0, INT32_MAX);
        if (!d || !IsDateNumber(*d)) {
            std::cerr << "sivarta-data sample: --date '" << *date << "' is not a date YYYYMMDD\n";
            return kExitUsage;
        }
        request.date = static_cast<int32_t>(*d);
    }
    if (const auto seed = options->Get("--seed")) {
        const auto s = ParseWhole(*seed, 0, INT64_MAX);
        if (!s) {
            std::cerr << "sivarta-data sample: --seed '" << *seed << "' is not a whole number >= 0\n";
            return kExitUsage;
        }
        request.seed = static_cast<uint64_t>(*s);
    }

    for (const std::string& code : codes) {
        if (!CheckFileCode(code)) return kExitUsage;
        request.code = code;
        const KnownName known = Describe(code);
        request.cp949Name = Utf8ToCp949(known.name).value_or(code);
        request.previousClose = known.previousClose;
        const DayFiles day = MakeSampleDay(request);
        if (!WriteDayFiles(*root, code, day)) return kExitFailed;
        std::cout << code << ": " << day.ticks.size() << " records on " << request.date << ", close "
                  << day.info.current << ", volume " << day.info.volume << "\n";
    }
    return kExitOk;
}
