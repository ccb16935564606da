#include "util/duration_text.h"

#include <limits>

#include <gtest/gtest.h>

namespace korvid {

TEST(DurationToText, WritesOnlyTheShownParts)
{
    struct Row {
        double seconds;
        const char* text;
    };
    const Row rows[] = {
        {0, ""},
        {0.99, ""},
        {61, "1 mn. 1 sec."},
        {3600, "1 h."},
        {3660, "1 h. 1 mn."},
        {90061, "1 j. 1 h. 1 mn. 1 sec."},
        {86400, "1 j."},
        {31536000, "1 an 0 j."}, // whole years are followed by 0 j.
        {63072000, "2 ans 0 j."},
        {31536000 + 86400 + 5, "1 an 1 j. 5 sec."},
        {754.9, "12 mn. 34 sec."}, // fractions are dropped, not rounded
        {-61, "-1 mn. 1 sec."},    // a negative duration keeps its sign in front
        {-0.5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(util::DurationToText(row.seconds), row.text);
    }
}

TEST(DurationToText, SurvivesValuesNoDurationCanHave)
{
    EXPECT_EQ(util::DurationToText(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_FALSE(util::DurationToText(std::numeric_limits<double>::infinity()).empty());
    EXPECT_EQ(util::DurationToText(-std::numeric_limits<double>::infinity()).front(), '-');
}

} // namespace korvid
