#pragma once

#include <string_view>

namespace korvid::translation {

// The texts the program shows when no language file gives its own, in the language-file format:
// what the window hands to TTranslation::SetDefaults at start-up. UTF-8.
[[nodiscard]] std::string_view FrenchDefaults();

} // namespace korvid::translation
