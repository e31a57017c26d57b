// The settings table against what depends on it: the persistence order (the
// stream format), the PARAM table that page authors read in README.md, name
// lookup and the text form of values that markup and --prop give.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "chart/settings_table.h"

namespace {

struct ReadmeRow {
    std::string type;
    std::string defaultText;
};

// The rows of README's PARAM table: | `name` | type | default | meaning |
std::vector<std::pair<std::string, ReadmeRow>> ReadmeParams() {
    std::ifstream file(SIVARTA_SOURCE_DIR "/README.md");
    std::vector<std::pair<std::string, ReadmeRow>> rows;
    std::string line;
    bool inTable = false;
    while (std::getline(file, line)) {
        if (line.rfind("PARAMs", 0) == 0) inTable = true;
        if (!inTable) continue;
        if (!rows.empty() && line.empty()) break;
        if (line.rfind("| `", 0) != 0) continue;
        std::vector<std::string> cells;
        size_t from = 1;
        for (size_t bar; cells.size() < 3 && (bar = line.find('|', from)) != std::string::npos; from = bar + 1) {
            std::string cell = line.substr(from, bar - from);
            cell.erase(0, cell.find_first_not_of(' '));
            cell.erase(cell.find_last_not_of(' ') + 1);
            cells.push_back(cell);
        }
        if (cells.size() == 3) rows.push_back({cells[0].substr(1, cells[0].size() - 2), {cells[1], cells[2]}});
    }
    return rows;
}

std::string TypeName(PropType type) {
    switch (type) {
    case PropType::String:
        return "string";
    case PropType::Number:
        return "number";
    case PropType::Colour:
        return "colour";
    }
    return "?";
}

std::string DefaultText(const PropertyInfo& p) {
    if (p.type == PropType::String) return *p.defaultString ? p.defaultString : "empty";
    if (p.type == PropType::Number) return std::to_string(p.defaultNumber);
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(p.defaultNumber));
    return text;
}

}   // namespace

TEST(SettingsTable, DispatchOrderPersistOrderAndReadmeNameTheSameThirtyProperties) {
    const auto table = PropertyTable();
    ASSERT_EQ(30u, table.size());
    const auto readme = ReadmeParams();
    ASSERT_EQ(table.size(), readme.size()) << "README's PARAM table";

    std::set<std::string> persisted;
    for (const char* name : PersistOrder()) {
        const PropertyInfo* p = FindProperty(name);
        ASSERT_NE(nullptr, p) << name;
        EXPECT_STREQ(p->name, name) << "same spelling";
        EXPECT_TRUE(persisted.insert(name).second) << name << " persisted twice";
    }
    EXPECT_EQ(table.size(), persisted.size());

    const ChartSettings defaults;
    for (size_t i = 0; i < table.size(); ++i) {
        const PropertyInfo& p = table[i];
        SCOPED_TRACE(p.name);
        EXPECT_EQ(static_cast<int32_t>(i + 1), p.dispid) << "DISPID = position in the dispatch table";
        EXPECT_EQ(&p, FindProperty(p.name));
        EXPECT_EQ(1u, persisted.count(p.name));
        // One field, of the kind the type says, holding the default at construction.
        EXPECT_EQ(p.type == PropType::String, p.string != nullptr);
        EXPECT_EQ(p.type != PropType::String, p.number != nullptr);
        if (p.string) {
            EXPECT_EQ(p.defaultString, defaults.*p.string);
        }
        if (p.number) {
            EXPECT_EQ(p.defaultNumber, defaults.*p.number);
        }
        // Colours and numbers feed the picture, except the window's size.
        if (p.number) {
            const bool size = std::string(p.name).rfind("nsizeMain", 0) == 0;
            EXPECT_EQ(size ? PropUse::Size : PropUse::Display, p.use);
        }

        EXPECT_EQ(p.name, readme[i].first) << "README row " << i + 1;
        EXPECT_EQ(TypeName(p.type), readme[i].second.type);
        EXPECT_EQ(DefaultText(p), readme[i].second.defaultText);
    }
}

TEST(SettingsTable, EveryPropertyHasItsOwnField) {
    // A distinct value through each entry; every entry then reads back its own.
    ChartSettings s;
    const auto table = PropertyTable();
    for (const PropertyInfo& p : table)
        ASSERT_FALSE(SetPropertyText(s, p, p.string ? std::string("v") + p.name : std::to_string(p.dispid * 7)));
    for (const PropertyInfo& p : table) {
        if (p.string) {
            EXPECT_EQ(std::string("v") + p.name, s.*p.string);
        } else {
            EXPECT_EQ(p.dispid * 7, s.*p.number) << p.name;
        }
    }
}

TEST(SettingsTable, NamesMatchIgnoringAsciiCaseOnly) {
    EXPECT_STREQ("strCode", FindProperty("STRCODE")->name);
    EXPECT_STREQ("crTime", FindProperty("crtime")->name);
    for (const char* unknown : {"", "strCod", "strCodes", "cr Time", "crTime ", "ｃrTime"})
        EXPECT_EQ(nullptr, FindProperty(unknown)) << unknown;
}

TEST(SettingsTable, PropertyTextSetsValidValuesAndRejectsTheRestUnchanged) {
    struct Case {
        const char* name;
        const char* text;
        bool ok;
        int32_t number;   // for numbers and colours
    };
    const Case cases[] = {
        {"crTime", "0x5D5D5D", true, 0x5D5D5D},
        {"crTime", "0X00ff00", true, 0x00FF00},
        {"crTime", "16777215", true, 0xFFFFFF},
        {"crTime", "0xFFFFFFFF", true, -1},   // the whole 32 bits of a colour reference
        {"crTime", "4294967295", true, -1},
        {"crTime", "-2147483648", true, INT32_MIN},
        {"crTime", "0x100000000", false, 0},
        {"crTime", "-2147483649", false, 0},
        {"nsizeGapX", "-7", true, -7},
        {"nsizeGapX", "2147483647", true, INT32_MAX},
        {"nsizeGapX", "2147483648", false, 0},   // numbers are signed 32-bit
        {"nsizeGapX", "4294967295", false, 0},
        {"nsizeGapX", "", false, 0},
        {"nsizeGapX", " 5", false, 0},
        {"nsizeGapX", "\t5", false, 0},
        {"nsizeGapX", "\n5", false, 0},
        {"nsizeGapX", "5 ", false, 0},
        {"nsizeGapX", "12zz", false, 0},
        {"nsizeGapX", "0x", false, 0},
        {"nsizeGapX", "0x-5", false, 0},
        {"nsizeGapX", "0x+5", false, 0},
        {"nsizeGapX", "0x0x5", false, 0},
        {"nsizeGapX", "0x7fffffff", true, INT32_MAX},
        {"nsizeGapX", "99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        ChartSettings s;
        const PropertyInfo& p = *FindProperty(c.name);
        const int32_t before = s.*p.number;
        const auto error = SetPropertyText(s, p, c.text);
        EXPECT_EQ(c.ok, !error);
        EXPECT_EQ(c.ok ? c.number : before, s.*p.number);
        if (error) {
            EXPECT_NE(std::string::npos, error->find(c.name));
        }
    }
    // Strings are taken as they are, case and spaces included.
    ChartSettings s;
    EXPECT_FALSE(SetPropertyText(s, *FindProperty("strType"), " eng "));
    EXPECT_EQ(" eng ", s.strType);
    EXPECT_FALSE(s.IsEnglish());
    EXPECT_FALSE(SetPropertyText(s, *FindProperty("strType"), "ENG"));
    EXPECT_TRUE(s.IsEnglish());
    EXPECT_TRUE(s.ClickEnabled());
    EXPECT_FALSE(SetPropertyText(s, *FindProperty("strClickAction"), "n"));
    EXPECT_TRUE(s.ClickEnabled());
    EXPECT_FALSE(SetPropertyText(s, *FindProperty("strClickAction"), "N"));
    EXPECT_FALSE(s.ClickEnabled());
}
