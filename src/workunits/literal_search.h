#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::workunits {

// Finds any of a fixed set of literals in a text, ASCII letters compared without regard to case.
// Wu and Manber's multi-pattern shift table over two-byte blocks: most of a log is skipped
// several bytes at a time, which a regular-expression alternation cannot do.
class TLiteralSearch {
public:
    struct TMatch {
        std::size_t Pos = 0;
        std::size_t Literal = 0; // index into the literals given
        std::size_t Length = 0;
    };

    // Literals of at least two bytes.
    explicit TLiteralSearch(std::vector<std::string> literals);

    // The match that ends first at or after `from` (leftmost for literals of one length).
    [[nodiscard]] std::optional<TMatch> Find(std::string_view text, std::size_t from = 0) const;

private:
    [[nodiscard]] std::size_t Block(const char* at) const;

    std::vector<std::string> m_literals; // upper case
    std::size_t m_min = 0;               // length of the shortest literal
    std::array<std::uint8_t, 256> m_fold{};
    std::vector<std::uint8_t> m_shift;              // by block of the window's last two bytes
    std::vector<std::vector<std::uint16_t>> m_ends; // literals whose prefix ends with that block
};

} // namespace korvid::workunits
