#include "translation/language_lines.h"

#include <algorithm>
#include <system_error>

#include "translation/text_encoding.h"
#include "util/ascii_case.h"
#include "util/file_io.h"

namespace korvid::translation {
namespace {

} // namespace

TLanguageLines TLanguageLines::Parse(std::string_view text)
{
    TLanguageLines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string_view line = text.substr(start, end - start);
        if (const std::size_t equals = line.find('='); equals != std::string_view::npos)
            lines.Add(line.substr(0, equals), line.substr(equals + 1));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
    return lines;
}

void TLanguageLines::Add(std::string_view key, std::string_view value)
{
    // Files have always been kept as a list sorted by whole line without regard to case, where
    // the first line with a key answers and a line equal to one already there is dropped. Among
    // lines of one key that is the smallest value, and the earlier line when values tie.
    auto [it, added] = m_values.try_emplace(util::UpperAscii(key), value);
    if (!added && util::CompareNoCase(value, it->second) < 0)
        it->second = value;
}

const std::string* TLanguageLines::Find(std::string_view key) const
{
    const auto it = m_values.find(util::UpperAscii(key));
    return it == m_values.end() ? nullptr : &it->second;
}

TLanguageFile ParseLanguageFile(std::string_view bytes)
{
    TLanguageFile file;
    if (bytes.size() > MaxLanguageFileBytes) {
        file.Outcome = TLanguageLoad::TooLarge;
        return file;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        file.Outcome = TLanguageLoad::NotText;
        return file;
    }
    auto lines = TLanguageLines::Parse(DecodeLanguageBytes(bytes));
    if (const std::string* name = lines.Find("Language"); name == nullptr || name->empty()) {
        file.Outcome = TLanguageLoad::Unnamed;
        return file;
    }
    file.Outcome = TLanguageLoad::Loaded;
    file.Lines = std::move(lines);
    return file;
}

TLanguageFile ReadLanguageFile(const std::filesystem::path& path)
{
    TLanguageFile file;
    std::error_code ec;
    const auto type = std::filesystem::status(path, ec).type();
    if (type == std::filesystem::file_type::not_found ||
        type == std::filesystem::file_type::directory) {
        file.Outcome = TLanguageLoad::Missing;
        return file;
    }
    if (type != std::filesystem::file_type::regular) {
        // A pipe or a device could block the open or never end; nobody keeps a language there.
        file.Outcome = TLanguageLoad::Unreadable;
        return file;
    }
    if (const auto size = std::filesystem::file_size(path, ec);
        !ec && size > MaxLanguageFileBytes) {
        file.Outcome = TLanguageLoad::TooLarge;
        return file;
    }
    // One byte past the limit, so a file that grew since it was sized is judged, not cut to fit.
    auto read = util::ReadFileShared(path, MaxLanguageFileBytes + 1);
    switch (read.Outcome) {
    case util::TFileRead::Read:
        return ParseLanguageFile(read.Bytes);
    case util::TFileRead::Missing:
        file.Outcome = TLanguageLoad::Missing;
        return file;
    case util::TFileRead::Failed:
        file.Outcome = TLanguageLoad::Unreadable;
        return file;
    }
    file.Outcome = TLanguageLoad::Unreadable;
    return file;
}

} // namespace korvid::translation
