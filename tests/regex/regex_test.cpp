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

TEST(Regex, FindNextWalksThroughNonOverlappingMatches)
{
    const TRegex pairs("[0-9]{2}");
    const std::string text = "[123:45:67]";
    std::vector<std::string> found;
    for (auto m = pairs.Find(text); m; m = pairs.FindNext(text, *m)) {
        found.emplace_back(m->Text);
        EXPECT_EQ(m->Text.data(), text.data() + m->Pos); // a view into the subject
    }
    EXPECT_EQ(found, (std::vector<std::string>{"12", "45", "67"}));
    EXPECT_EQ(pairs.Find(text, 3)->Pos, 5U);

    const TRegex empty("x*");
    int count = 0;
    for (auto m = empty.Find("abc"); m && count < 10; m = empty.FindNext("abc", *m))
        ++count;
    EXPECT_EQ(count, 4); // an empty match moves on by one byte, so the loop ends
}

TEST(Regex, RefusesAPatternThatDoesNotCompile)
{
    EXPECT_THROW(TRegex("[0-9"), util::TError);
}

} // namespace korvid
