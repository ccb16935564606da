#pragma once

#include <string>
#include <string_view>

namespace korvid::util {

// 1 to 12 for the English month names in any letter case; -1 for anything else.
[[nodiscard]] int MonthFromName(std::string_view name);

// Seconds as the short text the panel, the readout and the CSV show: "2 j. 3 h. 5 mn.".
[[nodiscard]] std::string DurationToText(double seconds);

// Upper-case of ASCII letters only; every other byte is left alone.
[[nodiscard]] constexpr char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace korvid::util
