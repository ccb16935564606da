#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korvid::test {

// Lines joined with the given line end after each one.
inline std::string Lines(std::initializer_list<std::string_view> lines,
                         std::string_view end = "\r\n")
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += end;
    }
    return text;
}

} // namespace korvid::test
