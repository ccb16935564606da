#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "translation/language_lines.h"

namespace korvid::translation {

struct TLanguageInfo {
    TLanguageLoad Outcome = TLanguageLoad::Missing;
    std::string Code; // upper case, when Loaded
    std::string Name; // the language's own name (its "Language" key), when Loaded

    [[nodiscard]] bool Usable() const { return Outcome == TLanguageLoad::Loaded; }
};

// The language catalogue: every text the user sees, by key, from the chosen language file first
// and the built-in defaults second. All texts it returns are UTF-8.
class TTranslation {
public:
    // Language files are named after the executable: <base name>.<code>.lng.
    explicit TTranslation(std::string executableBaseName);

    // Where language files are looked for; empty means the current folder.
    void SetFolder(const std::filesystem::path& folder) { SetFolders({folder}); }
    // Several places, the first first: a code loads from the first folder where its file loads.
    void SetFolders(const std::vector<std::filesystem::path>& folders);

    // The built-in lines, in the language-file format (UTF-8 already).
    void SetDefaults(std::string_view text);

    // Replaces the language lines by those of the file of that code, its name matched without
    // regard to case. Anything but Loaded leaves the lines as they were.
    TLanguageLoad LoadLanguage(std::string_view code);
    // The same from the bytes of a language file.
    TLanguageLoad LoadLanguageBytes(std::string_view bytes);

    // Key = prefix + "." + name, or whichever of the two is not empty. A name that begins with
    // "mnuSep" stays a menu separator, "-", in every language. A key found nowhere gives "".
    [[nodiscard]] std::string GetText(std::string_view prefix, std::string_view name) const;

    // The font the loaded language wants, from its own file only, never from the defaults.
    // Windows GDI character-set number; 1 (DEFAULT_CHARSET) when absent or not an integer.
    [[nodiscard]] std::uint8_t GetCharSet() const;
    // Points; 8 when absent or not an integer. Both keep the low 8 bits of the integer.
    [[nodiscard]] std::uint8_t GetFontSize() const;
    [[nodiscard]] std::string GetFontFace() const;

    // Whether the file is a language the user may choose, its code and its name. The code is what
    // lies between "<base name>." and the extension, in upper case: Korvid.en.gb.lng gives EN.GB.
    // Meant for names of the form <base name>.<code>.lng, as a folder listing finds them.
    [[nodiscard]] static TLanguageInfo GetLanguageInfo(const std::filesystem::path& file,
                                                       std::string_view executableBaseName);

private:
    [[nodiscard]] std::filesystem::path LanguageFile(const std::filesystem::path& folder,
                                                     std::string_view code) const;

    std::string m_executableBaseName;
    std::vector<std::filesystem::path> m_folders; // each with a trailing separator, or empty
    TLanguageLines m_lines;
    TLanguageLines m_defaults;
};

} // namespace korvid::translation
