#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::util {

// A settings file larger than this is not read: no sane one comes near it.
inline constexpr std::size_t MaxIniBytes = std::size_t{1} << 20;

enum class TIniLoad { Loaded, Missing, Failed };

// Decimal digits with an optional sign, blanks around them allowed, within the range of int.
// Anything else (a hexadecimal prefix, a fraction, an empty text) is none.
[[nodiscard]] std::optional<int> ParseIniInteger(std::string_view text);

struct TIniEntry {
    std::optional<std::string> Section; // none before the first header
    std::string Key;
    std::string Value;
    bool operator==(const TIniEntry&) const = default;
};

// An INI file: "[Section]" lines, then "key=value" lines. Section and key names match without
// regard to ASCII case; blanks around names and values are not part of them. Every line the
// file held is written back, whether we understood it or not; a written key keeps its place
// and its spelling.
class TIniFile {
public:
    TIniFile() = default;
    // Reads the file now. Missing or unreadable, it reads as empty: LoadOutcome tells which.
    explicit TIniFile(std::filesystem::path path);

    [[nodiscard]] TIniLoad LoadOutcome() const { return m_load; }
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }

    // Replaces everything by the lines of the text (line ends CR LF, CR or LF).
    void SetText(std::string_view text);
    // The file as UpdateFile writes it, one LF after every line.
    [[nodiscard]] std::string Text() const;

    [[nodiscard]] std::optional<std::string> Value(std::string_view section,
                                                   std::string_view key) const;
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         std::string_view fallback) const;
    // The fallback when the key is missing or its value is no integer (ParseIniInteger).
    [[nodiscard]] int ReadInteger(std::string_view section, std::string_view key,
                                  int fallback) const;

    // False, and nothing changes, unless the written lines read back as exactly these names
    // and value: no line break anywhere, no blanks around any of them, a section that is not
    // empty and holds no "]", a key that is not empty, holds no "=" and starts no header or
    // comment ("[", ";", "#").
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

    // Every key=value pair, in file order, as Value reads them.
    [[nodiscard]] std::vector<TIniEntry> Entries() const;

    // Writes Text() over Path() atomically. Throws TError naming the file.
    void UpdateFile() const;

private:
    struct TLine {
        std::string Raw;   // as read, or as last written
        std::string Key;   // trimmed, when the line is a key=value pair
        std::string Value; // trimmed
        bool IsPair = false;
    };
    struct TSection {
        std::string Name; // empty for the lines before the first header
        bool HasHeader = false;
        std::string Header; // the header line as read
        std::vector<TLine> Lines;
    };

    [[nodiscard]] const TSection* FindSection(std::string_view name) const;
    [[nodiscard]] TSection* FindSection(std::string_view name);

    std::filesystem::path m_path;
    TIniLoad m_load = TIniLoad::Missing;
    std::vector<TSection> m_sections;
};

} // namespace korvid::util
