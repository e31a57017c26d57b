// The browser command line of a click on the chart. strURL is set by any page
// that can script the control, so it must never add arguments of its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The length of a leading "http://" or "https://" in any letter case, else 0.
size_t WebSchemeLength(std::string_view text);

// The page a click opens: url, or defaultPage when url is empty; nothing
// unless it is an absolute http:// or https:// URL (scheme in any letter
// case) without a NUL. The web component opens it as it is.
std::optional<std::string> ClickThroughPage(const std::string& url, const std::string& defaultPage);

// "iexplore.exe " and the page (defaultPage when url is empty) as exactly one
// argument: spaces, double quotes and control characters percent-encoded.
// Nothing (no browser starts) unless the page is an absolute http:// or
// https:// URL (scheme in any letter case) or it holds a NUL.
std::optional<std::string> ClickThroughCommand(const std::string& url, const std::string& defaultPage);
