// The browser command line of a click: one argument, web pages only.
#include <gtest/gtest.h>

#include <string>

#include "interact/click_through.h"

namespace {

const std::string kDefault = "http://127.0.0.1:8949/";

struct Case {
    std::string url;
    const char* command;   // nullptr: no browser starts
};

TEST(ClickThroughCommand, OnlyWebPagesAsExactlyOneArgument) {
    const Case cases[] = {
        {"", "iexplore.exe http://127.0.0.1:8949/"},
        {"http://example.com/day?code=005930", "iexplore.exe http://example.com/day?code=005930"},
        {"HTTPS://Example.com/", "iexplore.exe HTTPS://Example.com/"},
        {"hTtP://x", "iexplore.exe hTtP://x"},
        {"http://x/a page/b c", "iexplore.exe http://x/a%20page/b%20c"},
        {"http://x/\" -extoff \"y", "iexplore.exe http://x/%22%20-extoff%20%22y"},
        {"http://x/a\tb\r\nc\x7F"
         "d",
         "iexplore.exe http://x/a%09b%0D%0Ac%7Fd"},
        {"http://x/50%25", "iexplore.exe http://x/50%25"},
        {"http://x/\xB3\xAA", "iexplore.exe http://x/\xB3\xAA"},   // code page 949 text stays as it is
        {"file:///c:/windows/system32/calc.exe", nullptr},
        {"\\\\host\\share\\x.exe", nullptr},
        {"-extoff http://x", nullptr},
        {" http://x", nullptr},
        {"javascript:alert(1)", nullptr},
        {"c:\\windows\\notepad.exe", nullptr},
        {"http://", nullptr},
        {"http:x", nullptr},
        {"ftp://x/", nullptr},
        {std::string("http://x/a\0 -extoff", 19), nullptr},
    };
    for (const Case& c : cases) {
        auto command = ClickThroughCommand(c.url, kDefault);
        if (c.command) {
            ASSERT_TRUE(command.has_value()) << c.url;
            EXPECT_EQ(*command, c.command) << c.url;
            // The page never contains what would end the argument.
            EXPECT_EQ(command->find_first_of(" \"", 13), std::string::npos) << *command;
        } else {
            EXPECT_FALSE(command.has_value()) << c.url << " -> " << command.value_or("");
        }
    }
}

TEST(ClickThroughCommand, TheDefaultPageFollowsTheSameRule) {
    EXPECT_EQ(ClickThroughCommand("", "https://h/a b"), "iexplore.exe https://h/a%20b");
    EXPECT_FALSE(ClickThroughCommand("", "javascript:x").has_value());
}

}   // namespace
