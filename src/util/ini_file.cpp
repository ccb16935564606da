#include "util/ini_file.h"

#include <charconv>
#include <utility>

#include "util/ascii_case.h"
#include "util/file_io.h"

namespace korvid::util {
namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The name of a "[name]" line, or none.
std::optional<std::string_view> HeaderName(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// Whether "[section]" and "key=value" lines parse back into these very names and value: the
// reader trims blanks, ends a header at its first "]", takes a line that starts with "[" and
// holds "]" as a header, skips ";" and "#" comments and cuts a pair at its first "=".
bool ReadsBack(std::string_view section, std::string_view key, std::string_view value)
{
    const auto bare = [](std::string_view text) {
        return !text.empty() && Trim(text) == text && !HoldsLineBreak(text);
    };
    return bare(section) && section.find(']') == std::string_view::npos && bare(key) &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';' &&
           key.front() != '#' && Trim(value) == value && !HoldsLineBreak(value);
}

} // namespace

std::optional<int> ParseIniInteger(std::string_view text)
{
    text = Trim(text);
    const bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    // from_chars takes a minus sign but no plus; a sign on its own, or two, is no number.
    if (text.empty() || (text.front() == '-' && (plus || text.size() == 1)))
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

TIniFile::TIniFile(std::filesystem::path path) : m_path(std::move(path))
{
    auto file = ReadFileShared(m_path, MaxIniBytes);
    switch (file.Outcome) {
    case TFileRead::Read:
        m_load = TIniLoad::Loaded;
        SetText(file.Bytes);
        break;
    case TFileRead::Missing:
        m_load = TIniLoad::Missing;
        break;
    case TFileRead::Failed:
        m_load = TIniLoad::Failed;
        break;
    }
}

void TIniFile::SetText(std::string_view text)
{
    m_sections.clear();
    m_sections.emplace_back();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;

        if (const auto name = HeaderName(raw)) {
            TSection& section = m_sections.emplace_back();
            section.Name = *name;
            section.HasHeader = true;
            section.Header = raw;
            continue;
        }
        TLine& line = m_sections.back().Lines.emplace_back();
        line.Raw = raw;
        const std::string_view trimmed = Trim(raw);
        const auto equals = trimmed.find('=');
        if (equals == std::string_view::npos || trimmed.front() == ';' || trimmed.front() == '#')
            continue;
        line.Key = Trim(trimmed.substr(0, equals));
        line.Value = Trim(trimmed.substr(equals + 1));
        line.IsPair = !line.Key.empty();
    }
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const TSection& section : m_sections) {
        if (section.HasHeader) {
            text += section.Header;
            text += '\n';
        }
        for (const TLine& line : section.Lines) {
            text += line.Raw;
            text += '\n';
        }
    }
    return text;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const
{
    for (const TSection& section : m_sections)
        if (section.HasHeader && EqualsNoCase(section.Name, name))
            return &section;
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name)
{
    return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view key) const
{
    const TSection* found = FindSection(section);
    if (found == nullptr)
        return std::nullopt;
    for (const TLine& line : found->Lines)
        if (line.IsPair && EqualsNoCase(line.Key, key))
            return line.Value;
    return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const
{
    auto value = Value(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    const auto value = Value(section, key);
    if (!value)
        return fallback;
    return ParseIniInteger(*value).value_or(fallback);
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!ReadsBack(section, key, value))
        return false;

    TSection* target = FindSection(section);
    if (target == nullptr) {
        if (m_sections.empty())
            m_sections.emplace_back();
        target = &m_sections.emplace_back();
        target->Name = section;
        target->HasHeader = true;
        target->Header = "[" + std::string(section) + "]";
    }
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < target->Lines.size(); ++i) {
        TLine& line = target->Lines[i];
        if (!line.IsPair)
            continue;
        if (EqualsNoCase(line.Key, key)) {
            line.Value = value;
            line.Raw = line.Key + "=" + std::string(value);
            return true;
        }
        insertAt = i + 1;
    }
    // After the section's last pair, so blank lines and comments before the next header stay.
    TLine line;
    line.Key = key;
    line.Value = value;
    line.Raw = line.Key + "=" + std::string(value);
    line.IsPair = true;
    target->Lines.insert(target->Lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                         std::move(line));
    return true;
}

std::vector<TIniEntry> TIniFile::Entries() const
{
    std::vector<TIniEntry> entries;
    for (const TSection& section : m_sections)
        for (const TLine& line : section.Lines)
            if (line.IsPair)
                entries.push_back(
                    {section.HasHeader ? std::optional<std::string>(section.Name) : std::nullopt,
                     line.Key, line.Value});
    return entries;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::UpdateFile() const
{
    WriteFileAtomically(m_path, Text());
}

} // namespace korvid::util
