#include "data/day_source.h"

#ifndef SIVARTA_DEFAULT_HOST
#error "the build names the default data host (SIVARTA_DEFAULT_HOST)"
#endif
#ifndef SIVARTA_DEFAULT_PAGE
#error "the build names the default click-through page (SIVARTA_DEFAULT_PAGE)"
#endif

const char* DefaultHost() {
    return SIVARTA_DEFAULT_HOST;
}

const char* DefaultPage() {
    return SIVARTA_DEFAULT_PAGE;
}

std::string DayFilePath(DayFile file, std::string_view code) {
    return std::string(file == DayFile::Info ? kInfoFolder : kDataFolder) + std::string(code) + kDayFileSuffix;
}
