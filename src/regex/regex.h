#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace korvid::regex {

struct TMatch {
    std::size_t Pos = 0;   // offset of the match in the subject
    std::string_view Text; // the matched bytes, a view into the subject
    [[nodiscard]] std::size_t Length() const { return Text.size(); }
    [[nodiscard]] std::size_t End() const { return Pos + Text.size(); }
};

enum class TCase { Exact, Ignore };

// A compiled Perl-like pattern over bytes (no UTF-8 decoding): "." matches any byte, letters
// match in exact case unless asked otherwise, quantifiers are greedy. Compile once, use often:
// matching allocates nothing.
class TRegex {
public:
    // Throws util::TError for a pattern that does not compile.
    explicit TRegex(std::string_view pattern, TCase letterCase = TCase::Exact);
    ~TRegex();
    TRegex(TRegex&&) noexcept;
    TRegex& operator=(TRegex&&) noexcept;

    // The leftmost match that starts at or after `from`.
    [[nodiscard]] std::optional<TMatch> Find(std::string_view subject, std::size_t from = 0) const;
    // The next match, searched from the end of the previous one (one byte further after an empty
    // match, so a loop always ends).
    [[nodiscard]] std::optional<TMatch> FindNext(std::string_view subject,
                                                 const TMatch& previous) const;
    [[nodiscard]] bool IsMatch(std::string_view subject) const { return Find(subject).has_value(); }

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

} // namespace korvid::regex
