#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace korvid::window {

using TFormatArg = std::variant<long long, std::string>;

// "%d" and "%s" take the arguments in order, "%%" is a percent sign. Patterns come from
// language files, so this never reaches printf: a placeholder without an argument stays as
// written, and an argument is written as it is whichever of the two placeholders takes it.
[[nodiscard]] std::string FormatText(std::string_view pattern,
                                     std::initializer_list<TFormatArg> args);

} // namespace korvid::window
