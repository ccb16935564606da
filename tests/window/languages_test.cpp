#include "window/languages.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "translation/french_defaults.h"
#include "translation/translation.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const fs::path ShippedFolder = fs::path(KORVID_SOURCE_DIR) / "data" / "lang";

// The keys of the built-in French block, in its order.
std::vector<std::string> DefaultKeys()
{
    std::vector<std::string> keys;
    const std::string_view text = translation::FrenchDefaults();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (const std::size_t equals = line.find('='); equals != std::string_view::npos)
            keys.emplace_back(line.substr(0, equals));
        start = end + 1;
    }
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

TEST(FindLanguages, SkipsWhatTheMenuCannotOfferAndSortsByCode)
{
    test::TTempDir dir;
    dir.Write("Korvid.ZU.lng", "Language=Aaa first by name\r\n");
    dir.Write("korvid.de.lng", "Language=Deutsch (b)\r\n"); // one entry a code
    dir.Write("Korvid.DE.lng", "Language=Deutsch\r\n");
    dir.Write("KORVID.ES.LNG", "Language=Espa\xF1ol\r\n");             // Windows-1252
    dir.Write("Korvid.NL.lng", "\xEF\xBB\xBFLanguage=Nederlands\r\n"); // BOM dropped
    dir.Write("Korvid.EMPTY.lng", "Language=\r\n");                    // nothing to show
    dir.Write("Korvid.EN.GB.lng", "Language=British\r\n");             // a point in the code
    dir.Write("Korvid.PT-BR.lng", "Language=Portugues\r\n");           // a hyphen
    dir.Write("Other.FR.lng", "Language=Other\r\n");                   // another program's
    dir.Write("Korvid.FR.txt", "Language=Text\r\n");
    dir.Write("Korvid.lng", "Language=None\r\n");
    EXPECT_EQ(window::FindLanguages(dir.Path(), "Korvid"),
              (std::vector<window::TLanguageChoice>{{"DE", "Deutsch"},
                                                    {"ES", "Espa\xC3\xB1ol"},
                                                    {"NL", "Nederlands"},
                                                    {"ZU", "Aaa first by name"}}));
    EXPECT_TRUE(window::FindLanguages(dir / "missing", "Korvid").empty());
}

TEST(FindLanguages, OverTwoFoldersTheUsersNameWinsAndABrokenUserFileHidesNothing)
{
    test::TTempDir user;
    test::TTempDir shipped;
    shipped.Write("Korvid.EN.lng", "Language=English\r\n");
    shipped.Write("Korvid.DE.lng", "Language=Deutsch\r\n");
    shipped.Write("Korvid.FR.lng", "Language=Fran\xC3\xA7"
                                   "ais\r\n");
    user.Write("korvid.en.lng", "Language=English (mine)\r\n");
    user.Write("Korvid.DE.lng", std::string("Language=x\0", 11));
    user.Write("Korvid.FR.lng", "msgRun=no name\r\n");
    user.Write("Korvid.AA.lng", "Language=Afar\r\n");
    EXPECT_EQ(window::FindLanguages({user.Path(), shipped.Path()}, "Korvid"),
              (std::vector<window::TLanguageChoice>{{"AA", "Afar"},
                                                    {"DE", "Deutsch"},
                                                    {"EN", "English (mine)"},
                                                    {"FR", "Fran\xC3\xA7"
                                                           "ais"}}));
    // A user folder not made yet changes nothing.
    EXPECT_EQ(window::FindLanguages({user / "missing", shipped.Path()}, "Korvid").size(), 3u);
}

} // namespace
} // namespace korvid
