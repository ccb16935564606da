#pragma once

#include <string>
#include <string_view>

namespace korvid::util {

// Letter case of ASCII letters only; every other byte, 0x80 and above included, is left alone.

[[nodiscard]] constexpr char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

[[nodiscard]] constexpr char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] std::string UpperAscii(std::string_view text);

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);

// Byte order after folding ASCII letters (-1, 0, 1): the order of a case-blind sorted list.
[[nodiscard]] int CompareNoCase(std::string_view a, std::string_view b);

} // namespace korvid::util
