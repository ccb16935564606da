#include "regex/regex.h"

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {

using regex::TCase;
using regex::TRegex;

// What the wrapper sets up around the engine: bytes rather than UTF-8, "." across line ends,
// letters in the case asked for.
TEST(Regex, MatchesBytesAcrossLineEndsAndLettersInTheCaseAsked)
{
    for (const auto& row : test::CaseTable("regex/data/matches.cases", 4)) {
        SCOPED_TRACE(row[0] + " on " + row[2]);
        const TCase letterCase = row[1] == "ignore" ? TCase::Ignore : TCase::Exact;
        EXPECT_EQ(TRegex(row[0], letterCase).IsMatch(row[2]), row[3] == "yes");
    }
}

// Readers take a match's text as a view and look again from an offset; FindNext has no
// caller.
TEST(Regex, FindStartsAtTheOffsetAskedAndGivesAViewIntoTheSubject)
{
    const std::string text = "[123:45:67]";
    const auto match = TRegex("[0-9]{2}").Find(text, 3);
    ASSERT_TRUE(match);
    EXPECT_EQ(std::tie(match->Pos, match->Text), std::tuple(5U, std::string_view("45")));
    EXPECT_EQ(match->Text.data(), text.data() + 5);
}

TEST(Regex, RefusesAPatternThatDoesNotCompile)
{
    EXPECT_THROW(TRegex("[0-9"), util::TError);
}

} // namespace korvid
