#include "window/text_format.h"

#include <gtest/gtest.h>

namespace korvid {

TEST(FormatText, FillsPlaceholdersInOrderAndNeverTrustsThePattern)
{
    const struct {
        const char* name;
        const char* pattern;
        std::string expected;
    } rows[] = {
        {"count", "%d WUs ont été ajoutées", "3 WUs ont été ajoutées"},
        {"several in order", "Run %d, Clone %d [%s]", "Run 3, Clone -1 [p12_x]"},
        {"percent sign", "100%% %d", "100% 3"},
        {"placeholders beyond the arguments", "%d %d %d %s %s", "3 -1 p12_x %s %s"},
        {"other conversions stay text", "%n%x%5d %", "%n%x%5d %"},
        {"a string where a number was expected", "%s %s", "3 -1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(window::FormatText(row.pattern, {3LL, -1LL, std::string("p12_x")}), row.expected);
    }
}

} // namespace korvid
