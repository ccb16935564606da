#include "translation/language.h"

#include <algorithm>

#include "util/ascii_case.h"

namespace korvid::translation {
namespace {

std::vector<std::string>::const_iterator Place(const std::vector<std::string>& codes,
                                               std::string_view code)
{
    return std::lower_bound(
        codes.begin(), codes.end(), code,
        [](const std::string& a, std::string_view b) { return util::CompareNoCase(a, b) < 0; });
}

} // namespace

std::ptrdiff_t TLanguage::Add(std::string_view code)
{
    const auto at = Place(m_codes, code);
    if (at != m_codes.end() && util::EqualsNoCase(*at, code))
        return -1;
    const auto added = m_codes.insert(at, std::string(code));
    return added - m_codes.begin();
}

const std::string* TLanguage::Items(std::ptrdiff_t i) const
{
    if (i < 0 || i >= Count())
        return nullptr;
    return &m_codes[static_cast<std::size_t>(i)];
}

std::ptrdiff_t TLanguage::IndexOf(std::string_view code) const
{
    const auto at = Place(m_codes, code);
    if (at == m_codes.end() || !util::EqualsNoCase(*at, code))
        return -1;
    return at - m_codes.begin();
}

} // namespace korvid::translation
