#include "translation/translation.h"

#include <charconv>
#include <optional>
#include <system_error>
#include <utility>

#include "util/ascii_case.h"

namespace korvid::translation {
namespace {

constexpr std::uint8_t DefaultCharSet = 1;
constexpr std::uint8_t DefaultFontSize = 8;
constexpr std::string_view DefaultFontFace = "MS Sans Serif";

// A decimal integer, all of the text, within 32 bits; the low 8 bits are what fonts take.
std::uint8_t LowByteOrDefault(const std::string* text, std::uint8_t fallback)
{
    if (text == nullptr)
        return fallback;
    std::string_view digits = *text;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return fallback;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

// Only the leading "<BASE NAME>." goes: the code must name the same file again when loaded, so
// Korvid.Korvid.de.lng is KORVID.DE, not DE.
std::string LanguageCode(std::string_view fileName, std::string_view executableBaseName)
{
    if (const std::size_t dot = fileName.rfind('.'); dot != std::string_view::npos)
        fileName = fileName.substr(0, dot);
    const std::string code = util::UpperAscii(fileName);
    const std::string lead = util::UpperAscii(executableBaseName) + ".";
    return code.compare(0, lead.size(), lead) == 0 ? code.substr(lead.size()) : code;
}

} // namespace

TTranslation::TTranslation(std::string executableBaseName)
    : m_executableBaseName(std::move(executableBaseName)), m_folders(1)
{
}

void TTranslation::SetFolders(const std::vector<std::filesystem::path>& folders)
{
    m_folders.clear();
    // Appending an empty name adds the separator only where there is none.
    for (const std::filesystem::path& folder : folders)
        m_folders.push_back(folder.empty() ? folder : folder / "");
    if (m_folders.empty())
        m_folders.emplace_back();
}

void TTranslation::SetDefaults(std::string_view text)
{
    m_defaults = TLanguageLines::Parse(text);
}

std::filesystem::path TTranslation::LanguageFile(const std::filesystem::path& where,
                                                 std::string_view code) const
{
    const std::string name = m_executableBaseName + "." + std::string(code) + ".lng";
    const std::filesystem::path exact = where / name;
    std::error_code ec;
    if (std::filesystem::exists(exact, ec))
        return exact;
    // Names match without regard to case, which this file system may not do by itself. Of
    // several candidates the smallest name wins, so the choice does not hang on listing order.
    std::filesystem::path found;
    const std::filesystem::path folder = where.empty() ? std::filesystem::path(".") : where;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (util::EqualsNoCase(candidate, name) && (found.empty() || candidate < found.string()))
            found = candidate;
    }
    return found.empty() ? exact : where / found;
}

TLanguageLoad TTranslation::LoadLanguage(std::string_view code)
{
    // A code comes from the settings file: it names a file in the folder, never a path elsewhere.
    if (code.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return TLanguageLoad::Missing;
    // A broken file of the user's does not hide the one that came with the program.
    std::optional<TLanguageLoad> first;
    for (const std::filesystem::path& folder : m_folders) {
        auto file = ReadLanguageFile(LanguageFile(folder, code));
        if (file.Outcome == TLanguageLoad::Loaded) {
            m_lines = std::move(file.Lines);
            return file.Outcome;
        }
        if (!first || *first == TLanguageLoad::Missing)
            first = file.Outcome;
    }
    return first.value_or(TLanguageLoad::Missing);
}

TLanguageLoad TTranslation::LoadLanguageBytes(std::string_view bytes)
{
    auto file = ParseLanguageFile(bytes);
    if (file.Outcome == TLanguageLoad::Loaded)
        m_lines = std::move(file.Lines);
    return file.Outcome;
}

std::string TTranslation::GetText(std::string_view prefix, std::string_view name) const
{
    if (name.substr(0, 6) == "mnuSep")
        return "-";
    std::string key;
    key.reserve(prefix.size() + 1 + name.size());
    key += prefix;
    if (!prefix.empty() && !name.empty())
        key += '.';
    key += name;
    if (const std::string* text = m_lines.Find(key))
        return *text;
    if (const std::string* text = m_defaults.Find(key))
        return *text;
    return {};
}

std::uint8_t TTranslation::GetCharSet() const
{
    return LowByteOrDefault(m_lines.Find("CharSet"), DefaultCharSet);
}

std::uint8_t TTranslation::GetFontSize() const
{
    return LowByteOrDefault(m_lines.Find("FontSize"), DefaultFontSize);
}

std::string TTranslation::GetFontFace() const
{
    const std::string* face = m_lines.Find("FontFace");
    return face != nullptr ? *face : std::string(DefaultFontFace);
}

TLanguageInfo TTranslation::GetLanguageInfo(const std::filesystem::path& file,
                                            std::string_view executableBaseName)
{
    TLanguageInfo info;
    auto read = ReadLanguageFile(file);
    info.Outcome = read.Outcome;
    if (read.Outcome == TLanguageLoad::Loaded) {
        info.Name = *read.Lines.Find("Language");
        info.Code = LanguageCode(file.filename().string(), executableBaseName);
    }
    return info;
}

} // namespace korvid::translation
