#include "regex/regex.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/error.h"

namespace korvid {

using regex::TCase;
using regex::TRegex;

// What the wrapper sets up around the engine: bytes rather than UTF-8, "." across line ends,
// letters in the case asked for.
TEST(Regex, MatchesBytesAcrossLineEndsAndLettersInTheCaseAsked)
{
    struct TRow {
        const char* pattern;
        TCase letterCase;
        std::string subject;
        bool found;
    };
    const TRow rows[] = {
        {"a.c", TCase::Exact, std::string("a\0c", 3), true},
        {"a.c", TCase::Exact, "a\xFF\x63", true},
        {"a.c", TCase::Exact, "a\nc", true},
        {"Completed", TCase::Exact, "completed", false},
        {"folding@home", TCase::Ignore, "FOLDING@Home", true},
        {"folding@home", TCase::Ignore, "FOLDING@H\xD6ME", false}, // no Unicode case folding
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.subject);
        EXPECT_EQ(TRegex(row.pattern, row.letterCase).IsMatch(row.subject), row.found);
    }
}

// Readers take a match's text as a view and look again from an offset; FindNext has no
// caller.
TEST(Regex, FindStartsAtTheOffsetAskedAndGivesAViewIntoTheSubject)
{
    const std::string text = "[123:45:67]";
    const auto match = TRegex("[0-9]{2}").Find(text, 3);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Pos, 5U);
    EXPECT_EQ(match->Text.data(), text.data() + 5);
    EXPECT_EQ(match->Text, "45");
}

TEST(Regex, RefusesAPatternThatDoesNotCompile)
{
    EXPECT_THROW(TRegex("[0-9"), util::TError);
}

} // namespace korvid
