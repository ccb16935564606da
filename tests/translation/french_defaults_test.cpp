#include "translation/french_defaults.h"

#include <gtest/gtest.h>

#include "translation/language_lines.h"
#include "translation/text_encoding.h"

namespace korvid {
namespace {

// The built-in texts stand in for a language file's texts only: the language's name and its
// font come from a file.
TEST(FrenchDefaults, AreUtf8LinesWithoutFontOrLanguageKeys)
{
    const std::string_view defaults = translation::FrenchDefaults();
    ASSERT_TRUE(translation::IsValidUtf8(defaults));
    const auto lines = translation::TLanguageLines::Parse(defaults);
    EXPECT_GT(lines.Count(), 50U);
    EXPECT_NE(lines.Find("msgWUInHistory"), nullptr);
    for (const char* key : {"Language", "FontFace", "FontSize", "CharSet"})
        EXPECT_EQ(lines.Find(key), nullptr) << key;
}

} // namespace
} // namespace korvid
