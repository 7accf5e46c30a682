#pragma once
// Blanks around the parts of a configuration file's lines: spaces, tabs and
// the carriage return of files written with CR LF line ends.

#include <string_view>

namespace ubx {

inline std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

} // namespace ubx
