#include "util/ascii_case.h"

#include <gtest/gtest.h>

namespace korvid {

// Only ASCII letters fold, so bytes of other code pages keep their case and their order, and
// letters sort as capitals: before '_' and the bytes above it.
TEST(AsciiCase, FoldsAsciiLettersOnly)
{
    struct Row {
        const char* a;
        const char* b;
        int order;
    };
    const Row rows[] = {
        {"fahlog", "FAHlog", 0},
        {"a", "B", -1},
        {"b", "A", 1},
        {"ab", "A", 1},
        {"", "", 0},
        {"a_", "aZ", 1},
        {"\xE9t\xE9", "\xC9T\xC9", 1},
        {"z", "\xE9", -1},
        {"Z", "_", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " / " + row.b);
        EXPECT_EQ(util::CompareNoCase(row.a, row.b), row.order);
        EXPECT_EQ(util::CompareNoCase(row.b, row.a), -row.order);
        EXPECT_EQ(util::EqualsNoCase(row.a, row.b), row.order == 0);
    }
    EXPECT_EQ(util::UpperAscii("Fran\xE7"
                               "ais-1"),
              "FRAN\xE7"
              "AIS-1");
    EXPECT_EQ(util::LowerAscii('Q'), 'q');
    EXPECT_EQ(util::LowerAscii('\xC9'), '\xC9');
}

} // namespace korvid
