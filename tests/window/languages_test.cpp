#include "window/languages.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "translation/french_defaults.h"
#include "translation/translation.h"
#include "util/ini_file.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const fs::path ShippedFolder = fs::path(KORVID_SOURCE_DIR) / "data" / "lang";

// The keys of the built-in French block, in its order.
std::vector<std::string> DefaultKeys()
{
    util::TIniFile defaults;
    defaults.SetText(translation::FrenchDefaults());
    std::vector<std::string> keys;
    for (const util::TIniEntry& entry : defaults.Entries())
        keys.push_back(entry.Key);
    return keys;
}

std::size_t Count(const std::string& text, std::string_view what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(ShippedLanguages, BothLoadAndGiveEveryDefaultKeyATextOfTheirOwn)
{
    const std::vector<std::string> keys = DefaultKeys();
    ASSERT_GT(keys.size(), 50U);
    translation::TTranslation french("Korvid");
    french.SetDefaults(translation::FrenchDefaults());
    for (const char* code : {"english", "FRANCAIS"}) { // codes in any case
        SCOPED_TRACE(code);
        // No defaults here: every text must come from the file itself.
        translation::TTranslation catalogue("Korvid");
        catalogue.SetFolder(ShippedFolder);
        ASSERT_EQ(catalogue.LoadLanguage(code), translation::TLanguageLoad::Loaded);
        for (const std::string& key : keys) {
            SCOPED_TRACE(key);
            const std::string text = catalogue.GetText("", key);
            EXPECT_FALSE(text.empty());
            const std::string builtIn = french.GetText("", key);
            EXPECT_EQ(Count(text, "%"), Count(builtIn, "%")) << text;
            EXPECT_EQ(Count(text, "%d"), Count(builtIn, "%d")) << text;
            if (std::string_view(code) == "FRANCAIS") {
                EXPECT_EQ(text, builtIn);
            }
        }
        const bool english = std::string_view(code) == "english";
        EXPECT_EQ(catalogue.GetText("frmMain", "tsHisto"), english ? "History" : "Historique");
        EXPECT_EQ(catalogue.GetCharSet(), 1);
        EXPECT_EQ(catalogue.GetFontSize(), 8);
    }
}

// Within a folder; over two, the user's name wins and a broken user file hides nothing.
TEST(FindLanguages, SkipsWhatTheMenuCannotOfferAndSortsByCode)
{
    test::TTempDir user;
    test::TTempDir shipped;
    for (const auto& row : test::CaseTable("window/data/language_files.cases", 3))
        (row[0] == "user" ? user : shipped).Write(row[1], row[2]);
    EXPECT_EQ(
        window::FindLanguages(user.Path(), "Korvid"),
        (std::vector<window::TLanguageChoice>{{"EN", "English (b)"}, {"ZU", "Aaa first by name"}}));
    EXPECT_EQ(window::FindLanguages({user.Path(), shipped.Path()}, "Korvid"),
              (std::vector<window::TLanguageChoice>{{"DE", "Deutsch"},
                                                    {"EN", "English (b)"},
                                                    {"FR", "Fran\xC3\xA7"
                                                           "ais"},
                                                    {"ZU", "Aaa first by name"}}));
    // A folder not made yet changes nothing.
    EXPECT_EQ(window::FindLanguages({user / "missing", shipped.Path()}, "Korvid").size(), 3u);
    EXPECT_TRUE(window::FindLanguages(user / "missing", "Korvid").empty());
}

} // namespace
} // namespace korvid
