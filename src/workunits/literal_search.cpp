#include "workunits/literal_search.h"

#include <algorithm>
#include <cassert>

#include "util/ascii_case.h"

namespace korvid::workunits {

TLiteralSearch::TLiteralSearch(std::vector<std::string> literals)
    : m_literals(std::move(literals)), m_shift(65536), m_ends(65536)
{
    for (std::size_t c = 0; c < 256; ++c)
        m_fold[c] = static_cast<std::uint8_t>(util::UpperAscii(static_cast<char>(c)));
    m_min = m_literals.front().size();
    for (auto& literal : m_literals) {
        assert(literal.size() >= 2);
        for (char& c : literal)
            c = util::UpperAscii(c);
        m_min = std::min(m_min, literal.size());
    }
    // A window of m_min bytes ends at the scan position; its last block decides the skip.
    std::fill(m_shift.begin(), m_shift.end(), static_cast<std::uint8_t>(m_min - 1));
    for (std::size_t k = 0; k < m_literals.size(); ++k) {
        const std::string& literal = m_literals[k];
        for (std::size_t j = 1; j < m_min; ++j) {
            const std::size_t block = Block(literal.data() + j - 1);
            m_shift[block] =
                std::min<std::uint8_t>(m_shift[block], static_cast<std::uint8_t>(m_min - 1 - j));
        }
        m_ends[Block(literal.data() + m_min - 2)].push_back(static_cast<std::uint16_t>(k));
    }
}

std::size_t TLiteralSearch::Block(const char* at) const
{
    return static_cast<std::size_t>(m_fold[static_cast<unsigned char>(at[0])]) << 8 |
           m_fold[static_cast<unsigned char>(at[1])];
}

std::optional<TLiteralSearch::TMatch> TLiteralSearch::Find(std::string_view text,
                                                           std::size_t from) const
{
    if (from > text.size() || text.size() - from < m_min)
        return std::nullopt;
    const char* data = text.data();
    std::size_t end = from + m_min - 1; // last byte of the window
    while (end < text.size()) {
        const std::size_t block = Block(data + end - 1);
        const std::uint8_t shift = m_shift[block];
        if (shift != 0) {
            end += shift;
            continue;
        }
        const std::size_t start = end + 1 - m_min;
        for (const std::uint16_t k : m_ends[block]) {
            const std::string& literal = m_literals[k];
            if (text.size() - start < literal.size())
                continue;
            std::size_t i = 0;
            while (i < literal.size() && m_fold[static_cast<unsigned char>(data[start + i])] ==
                                             static_cast<unsigned char>(literal[i]))
                ++i;
            if (i == literal.size())
                return TMatch{start, k, literal.size()};
        }
        ++end;
    }
    return std::nullopt;
}

} // namespace korvid::workunits
