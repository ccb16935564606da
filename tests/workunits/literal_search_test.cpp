#include "workunits/literal_search.h"

#include <random>

#include <gtest/gtest.h>

#include "util/ascii_case.h"

namespace korvid {

using workunits::TLiteralSearch;

// The leftmost-ending match found the slow way.
std::optional<TLiteralSearch::TMatch> Naive(const std::vector<std::string>& literals,
                                            std::string_view text, std::size_t from)
{
    for (std::size_t end = from; end <= text.size(); ++end)
        for (std::size_t k = 0; k < literals.size(); ++k) {
            const std::string& literal = literals[k];
            if (end < from + literal.size())
                continue;
            const std::size_t start = end - literal.size();
            bool same = true;
            for (std::size_t i = 0; i < literal.size() && same; ++i)
                same = util::UpperAscii(text[start + i]) == util::UpperAscii(literal[i]);
            if (same)
                return TLiteralSearch::TMatch{start, k, literal.size()};
        }
    return std::nullopt;
}

TEST(TLiteralSearch, AgreesWithANaiveSearchOnRandomText)
{
    // Bytes above 127 have no case: each matches only itself.
    const std::vector<std::string> literals = {
        " steps ", "Core required", "- Run: ", "FOLDING@HOME", "ab", "\xC9t", "\xA0:"};
    const TLiteralSearch search(literals);
    std::mt19937 random(42);
    const std::string alphabet = "abAB -:stepsSTEPRUNrun\r\nF@HOMEfolding\xA0\xE9\xC9";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        if (round % 3 == 0)
            text.insert(random() % (text.size() + 1), literals[random() % literals.size()]);
        for (std::size_t from = 0; from <= text.size(); from += 7) {
            const auto expected = Naive(literals, text, from);
            const auto found = search.Find(text, from);
            ASSERT_EQ(found.has_value(), expected.has_value()) << text << " from " << from;
            if (found) {
                EXPECT_EQ(found->Pos + found->Length, expected->Pos + expected->Length) << text;
                EXPECT_EQ(text.substr(found->Pos, found->Length).size(),
                          literals[found->Literal].size());
            }
        }
    }
}

} // namespace korvid
