// The live day of `sivarta-data feed`: trades in, one record a minute per
// code and the info snapshot out. Portable: no I/O.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/day_files.h"

struct Trade {
    std::string code;
    int32_t time = 0;   // HHMMSS
    int32_t price = 0;
    int32_t volume = 0;
};

// "CODE,HHMMSS,PRICE,VOLUME" (spaces around fields allowed), or why not.
std::optional<std::string> ParseTrade(std::string_view line, Trade& trade);

// One code's day: its minute records oldest first, what the info file needs
// besides them, and whether it changed since it was last published.
struct CodeDay {
    std::vector<TickRecord> minutes;
    std::string name;   // code page 949
    int32_t previousClose = 0;
    int32_t lastTime = 0;
    bool changed = false;
};

class FeedBook {
public:
    explicit FeedBook(int32_t date) : date(date) {}

    // Starts a code from what is already published (both files' bytes; either
    // may be empty), so a restarted feed loses nothing. previousClose, when
    // given, wins over the one the info file implies.
    void Load(const std::string& code, const std::string& infoBytes, const std::string& dataBytes,
              std::optional<int32_t> previousClose);
    // Adds a trade to its code's minute, or says why it cannot (time going back).
    std::optional<std::string> Add(const Trade& trade);

    // The files for a code that has trades.
    DayFiles Files(const std::string& code) const;
    std::map<std::string, CodeDay>& Codes() { return codes; }

private:
    int32_t date;
    std::map<std::string, CodeDay> codes;
};
