#pragma once

#include <cstdint>
#include <string_view>

namespace korvid::workunits {

// A unit's identity: its text with the log-path line cut out, so the same unit read from two
// folders is one. Two views into the text, no copy.
struct TIdentity {
    std::string_view Head;
    std::string_view Tail;

    [[nodiscard]] std::size_t Size() const { return Head.size() + Tail.size(); }
    [[nodiscard]] std::uint64_t Hash() const;
    bool operator==(const TIdentity& other) const;
};

// Cuts the first log-path line that follows a line break; a text without one is its own identity.
[[nodiscard]] TIdentity IdentityOf(std::string_view text);

} // namespace korvid::workunits
