#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::translation {

// The codes of the languages the menu offers, in menu order: sorted without regard to ASCII
// case, and a code equal to one already there (in any case) is not added again.
class TLanguage {
public:
    // The index the code now has, or -1 when it was already there.
    std::ptrdiff_t Add(std::string_view code);
    [[nodiscard]] std::ptrdiff_t Count() const
    {
        return static_cast<std::ptrdiff_t>(m_codes.size());
    }
    // None outside 0..Count-1.
    [[nodiscard]] const std::string* Items(std::ptrdiff_t i) const;
    // -1 when absent; compared without regard to ASCII case.
    [[nodiscard]] std::ptrdiff_t IndexOf(std::string_view code) const;

private:
    std::vector<std::string> m_codes;
};

} // namespace korvid::translation
