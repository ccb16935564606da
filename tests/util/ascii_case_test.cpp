#include "util/ascii_case.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {

// Only ASCII letters fold, so bytes of other code pages keep their case and their order, and
// letters sort as capitals: before '_' and the bytes above it.
TEST(AsciiCase, FoldsAsciiLettersOnly)
{
    for (const auto& row : test::CaseTable("util/data/ascii_order.cases", 3)) {
        SCOPED_TRACE(row[0] + " / " + row[1]);
        const int order = std::stoi(row[2]);
        EXPECT_EQ(util::CompareNoCase(row[0], row[1]), order);
        EXPECT_EQ(util::CompareNoCase(row[1], row[0]), -order);
        EXPECT_EQ(util::EqualsNoCase(row[0], row[1]), order == 0);
    }
    EXPECT_EQ(util::UpperAscii("Fran\347ais-1"), "FRAN\347AIS-1");
    EXPECT_EQ(util::LowerAscii('Q'), 'q');
    EXPECT_EQ(util::LowerAscii('\xC9'), '\xC9');
}

} // namespace korvid
