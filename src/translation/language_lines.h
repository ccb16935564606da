#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvid::translation {

// Real language files hold a few kilobytes; anything past this is not one.
inline constexpr std::size_t MaxLanguageFileBytes = 1 << 20;

// What became of a language file. Only Loaded files are languages: the window offers them, and
// loading anything else leaves the catalogue as it was.
enum class TLanguageLoad {
    Loaded,
    Missing,    // no such file; a folder of that name counts as none
    Unreadable, // exists but is not a regular file, or reading it failed
    TooLarge,   // more than MaxLanguageFileBytes
    NotText,    // holds a NUL byte: binary, or UTF-16
    Unnamed,    // no "Language" key, or an empty one: the menu would have nothing to show
};

// The key=value lines of a language file or of the built-in defaults. Keys are everything before
// the first "=", values everything after it, nothing trimmed; lines without "=" mean nothing.
// Keys match without regard to ASCII case.
class TLanguageLines {
public:
    // The text is UTF-8; lines end with CR, LF or CR LF.
    [[nodiscard]] static TLanguageLines Parse(std::string_view text);

    // Null when no line has the key.
    [[nodiscard]] const std::string* Find(std::string_view key) const;
    [[nodiscard]] std::size_t Count() const { return m_values.size(); }

private:
    void Add(std::string_view key, std::string_view value);

    std::unordered_map<std::string, std::string> m_values; // key in upper case -> value
};

struct TLanguageFile {
    TLanguageLoad Outcome = TLanguageLoad::Missing;
    TLanguageLines Lines; // when Loaded
};

// The bytes of a language file, judged and decoded (see DecodeLanguageBytes).
[[nodiscard]] TLanguageFile ParseLanguageFile(std::string_view bytes);

// Never throws for anything the file system or the file holds.
[[nodiscard]] TLanguageFile ReadLanguageFile(const std::filesystem::path& path);

} // namespace korvid::translation
