#include "translation/language.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(TLanguage, KeepsCodesSortedWithoutRegardToCaseAndDropsDuplicates)
{
    translation::TLanguage languages;
    EXPECT_EQ(languages.Add("FRANCAIS"), 0);
    EXPECT_EQ(languages.Add("english"), 0);
    EXPECT_EQ(languages.Add("DEUTSCH"), 0);
    EXPECT_EQ(languages.Add("Espanol"), 2);
    EXPECT_EQ(languages.Add("English"), -1);
    EXPECT_EQ(languages.Add("_X"), 4); // '_' sorts after the letters once they are upper case
    const char* expected[] = {"DEUTSCH", "english", "Espanol", "FRANCAIS", "_X"};
    ASSERT_EQ(languages.Count(), 5);
    for (std::ptrdiff_t i = 0; i < 5; ++i)
        EXPECT_EQ(*languages.Items(i), expected[i]);
    EXPECT_EQ(languages.Items(-1), nullptr);
    EXPECT_EQ(languages.Items(5), nullptr);
    EXPECT_EQ(languages.IndexOf("ESPANOL"), 2);
    EXPECT_EQ(languages.IndexOf("ITALIANO"), -1);
}

} // namespace
} // namespace korvid
