#include "regex/regex.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/error.h"

namespace korvid {

using regex::TRegex;

TEST(Regex, FindsTheLeftmostGreedyMatch)
{
    const TRegex stamp("\\[[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] Completed [0-9]+ out of [0-9]+ steps[ "
                       "]+\\([0-9]+[%]{0,1}\\)");
    const std::string line = "x [08:00:10] Completed 5 out of 500 steps  (1%) tail";
    const auto match = stamp.Find(line);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->Pos, 2u);
    EXPECT_EQ(match->Text, "[08:00:10] Completed 5 out of 500 steps  (1%)");
    // "[[0-9]" is a class holding "[" and the digits.
    EXPECT_TRUE(stamp.IsMatch("[[0:00:10] Completed 5 out of 500 steps (1)"));
    EXPECT_FALSE(stamp.IsMatch("[08:00:10] completed 5 out of 500 steps (1)"));
}

TEST(Regex, FindNextWalksThroughNonOverlappingMatches)
{
    const TRegex pairs("[0-9]{2}");
    const std::string text = "[123:45:67]";
    std::vector<std::string> found;
    for (auto m = pairs.Find(text); m; m = pairs.FindNext(text, *m))
        found.emplace_back(m->Text);
    EXPECT_EQ(found, (std::vector<std::string>{"12", "45", "67"}));

    const TRegex empty("x*");
    int count = 0;
    for (auto m = empty.Find("abc"); m && count < 10; m = empty.FindNext("abc", *m))
        ++count;
    EXPECT_EQ(count, 4); // an empty match moves on by one byte, so the loop ends
}

TEST(Regex, TreatsEveryByteAsACharacter)
{
    const TRegex any("a.c");
    EXPECT_TRUE(any.IsMatch(std::string("a\0c", 3)));
    EXPECT_TRUE(any.IsMatch("a\xFF"
                            "c"));
    EXPECT_TRUE(any.IsMatch("a\nc"));
    const TRegex caseless("folding@home", regex::TCase::Ignore);
    EXPECT_TRUE(caseless.IsMatch("FOLDING@Home"));
    EXPECT_FALSE(caseless.IsMatch("FOLDING@H\xD6ME"));
}

TEST(Regex, RefusesAPatternThatDoesNotCompile)
{
    EXPECT_THROW(TRegex("[0-9"), util::TError);
}

} // namespace korvid
