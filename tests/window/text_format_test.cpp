#include "window/text_format.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace korvid {

TEST(FormatText, FillsPlaceholdersInOrderAndNeverTrustsThePattern)
{
    for (const auto& row : test::CaseTable("window/data/text_formats.cases", 3))
        EXPECT_EQ(window::FormatText(row[1], {3LL, -1LL, std::string("p12_x")}), row[2]) << row[0];
}

} // namespace korvid
