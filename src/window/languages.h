#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::window {

struct TLanguageChoice {
    std::string Code; // upper case
    std::string Name; // the language's own name, the menu item's caption
    bool operator==(const TLanguageChoice&) const = default;
};

// A code the language menu can carry: "mnuLang_" + code must be a component name, so letters
// A to Z, digits and "_" only (EN.GB, PT-BR and FRANÇAIS are not offered).
[[nodiscard]] bool IsMenuLanguageCode(std::string_view code);

// The languages the menu offers from the files <base name>.<code>.lng of the folder (names
// matched without regard to case): files that do not load or have no "Language" key are left
// out, as are codes the menu cannot carry. Sorted by code without regard to case, one entry per
// code (of two files with one code, the name that sorts first).
[[nodiscard]] std::vector<TLanguageChoice> FindLanguages(const std::filesystem::path& folder,
                                                         std::string_view executableBaseName);
// The same over several folders: a code found in an earlier folder takes its name from there.
[[nodiscard]] std::vector<TLanguageChoice>
FindLanguages(const std::vector<std::filesystem::path>& folders,
              std::string_view executableBaseName);

} // namespace korvid::window
