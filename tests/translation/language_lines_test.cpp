#include "translation/language_lines.h"

#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "translation/french_defaults.h"
#include "translation/text_encoding.h"

namespace korvid {
namespace {

using translation::TLanguageLines;
using translation::TLanguageLoad;

std::string ValueOf(const TLanguageLines& lines, std::string_view key)
{
    const std::string* value = lines.Find(key);
    return value != nullptr ? *value : "<absent>";
}

TEST(TLanguageLines, SplitsLinesAtCrOrLfAndKeysAtTheFirstEquals)
{
    const auto lines = TLanguageLines::Parse("a=1\rb=2\nc=3\r\nd=x=y\r\n\r\n[Section]\n"
                                             " e = 5 \n=empty key\nCAF\xC3\xA9=6\nlast=7");
    for (const auto& row : test::CaseTable("translation/data/language_lines.cases", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(ValueOf(lines, row[0]), row[1]);
    }
    EXPECT_EQ(lines.Count(), 8u);
}

TEST(TLanguageLines, OfOneKeyTheLineThatSortsFirstWithoutRegardToCaseAnswers)
{
    for (const auto& row : test::CaseTable("translation/data/first_of_equal_keys.cases", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(ValueOf(TLanguageLines::Parse(row[0]), "k"), row[1]);
    }
}

TEST(ParseLanguageFile, LoadsOnlyTextThatNamesItsLanguage)
{
    const std::string named = "Language=English\n";
    std::string full = named;
    full.resize(translation::MaxLanguageFileBytes, '\n');
    struct Row {
        const char* name;
        std::string bytes;
        TLanguageLoad outcome;
    };
    const Row rows[] = {
        {"named", named, TLanguageLoad::Loaded},
        {"exactly the largest size", full, TLanguageLoad::Loaded},
        {"one byte more", full + "\n", TLanguageLoad::TooLarge},
        {"empty", "", TLanguageLoad::Unnamed},
        {"no Language key", "frmMain=Korvid\n", TLanguageLoad::Unnamed},
        {"empty Language value", "Language=\n", TLanguageLoad::Unnamed},
        {"key ends in a space", "Language =English", TLanguageLoad::Unnamed},
        {"NUL byte", named + std::string(1, '\0'), TLanguageLoad::NotText},
        {"UTF-16", std::string("\xFF\xFEL\0=\0x\0", 8), TLanguageLoad::NotText},
        {"garbage without NUL", "\x89PNG\r\n\x1A\n\xFF\xC3", TLanguageLoad::Unnamed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = translation::ParseLanguageFile(row.bytes);
        EXPECT_EQ(file.Outcome, row.outcome);
        if (row.outcome == TLanguageLoad::Loaded) {
            EXPECT_EQ(ValueOf(file.Lines, "Language"), "English");
        }
    }
}

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
