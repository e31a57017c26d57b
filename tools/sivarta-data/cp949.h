// Conversion between UTF-8 (the terminal, the command line) and code page 949
// (the name field of the info file), through iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// nullopt when the text has a character the other side cannot hold.
std::optional<std::string> Utf8ToCp949(std::string_view utf8);
std::optional<std::string> Cp949ToUtf8(std::string_view cp949);
