#include "translation/translation.h"

#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "translation/language.h"

namespace korvid {
namespace {

using translation::TLanguageLoad;
using translation::TTranslation;

class TranslationTest : public ::testing::Test {
protected:
    TranslationTest()
    {
        catalogue.SetFolder(dir.Path());
        catalogue.SetDefaults("frmMain=Korvid\nfrmMain.tsHisto=Historique\nmsgRun=Run\n"
                              "msgProtein=Prot\xC3\xA9ine\nFontFace=never read from here\n");
    }

    test::TTempDir dir;
    TTranslation catalogue{"Korvid"};
};

TEST_F(TranslationTest, AsksTheFileFirstThenTheDefaultsThenGivesNothing)
{
    EXPECT_EQ(catalogue.GetText("FRMMAIN", "TSHISTO"), "Historique"); // before any file
    dir.Write("Korvid.EN.lng", "Language=English\nfrmMain=Korvid (en)\nmsgRun=Run (en)\n"
                               "frmMain.tsHisto=\nfrmMain.mnuSep1=x\nMNUSEP2=kept\n");
    ASSERT_EQ(catalogue.LoadLanguage("EN"), TLanguageLoad::Loaded);
    for (const auto& row : test::CaseTable("translation/data/get_text.cases", 3)) {
        SCOPED_TRACE(row[0] + "|" + row[1]);
        EXPECT_EQ(catalogue.GetText(row[0], row[1]), row[2]);
    }
}

TEST_F(TranslationTest, FindsTheFileWhateverTheCaseOfItsNamePreferringTheExactOne)
{
    dir.Write("KORVID.EN.lng", "Language=upper\n");
    dir.Write("Korvid.EN.lng", "Language=exact\n");
    dir.Write("korvid.en.lng", "Language=lower\n");
    ASSERT_EQ(catalogue.LoadLanguage("EN"), TLanguageLoad::Loaded);
    EXPECT_EQ(catalogue.GetText("", "Language"), "exact");
    ASSERT_EQ(catalogue.LoadLanguage("En"), TLanguageLoad::Loaded);
    EXPECT_EQ(catalogue.GetText("", "Language"), "upper"); // the smallest of the others
}

TEST_F(TranslationTest, FontKeysComeFromTheLanguageFileOnly)
{
    for (const auto& row : test::CaseTable("translation/data/font_keys.cases", 4)) {
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(catalogue.LoadLanguageBytes("Language=x\n" + row[0]), TLanguageLoad::Loaded);
        EXPECT_EQ(catalogue.GetCharSet(), std::stoi(row[1]));
        EXPECT_EQ(catalogue.GetFontSize(), std::stoi(row[2]));
        EXPECT_EQ(catalogue.GetFontFace(), row[3]);
    }
}

// The files the language menu offers are exactly those that load; one that does not load
// leaves the language in effect as it was.
TEST_F(TranslationTest, LanguageInfoOffersExactlyTheFilesThatLoadAndABadFileChangesNothing)
{
    dir.Write("Korvid.en.gb.lng", "; English\nlanguage=English\nfrmMain.tsHisto=History\n");
    dir.Write("korvid.Korvid.de.lng", "Language=Deutsch\nfrmMain.tsHisto=Verlauf\n");
    dir.Write("Korvid.NONAME.lng", "frmMain=Korvid\n");
    dir.Write("Korvid.BINARY.lng", std::string("Language=x\n\0\x01", 13));
    dir.Write("Korvid.HUGE.lng",
              "Language=H\n" + std::string(translation::MaxLanguageFileBytes, '\n'));
    dir.Write("Korvid./keep", ""); // so "Korvid./../" leads back here
    std::filesystem::create_directory(dir / "Korvid.FOLDER.lng");
    ASSERT_EQ(::mkfifo((dir / "Korvid.PIPE.lng").c_str(), 0600), 0);
    struct Row {
        const char* code;
        TLanguageLoad outcome;
        const char* tab;            // in effect afterwards
        const char* file = nullptr; // asked for its language info
    };
    const Row rows[] = {
        {"EN.GB", TLanguageLoad::Loaded, "History", "Korvid.en.gb.lng"},
        {"NONAME", TLanguageLoad::Unnamed, "History", "Korvid.NONAME.lng"},
        {"BINARY", TLanguageLoad::NotText, "History", "Korvid.BINARY.lng"},
        {"HUGE", TLanguageLoad::TooLarge, "History", "Korvid.HUGE.lng"},
        {"FOLDER", TLanguageLoad::Missing, "History", "Korvid.FOLDER.lng"},
        {"KORVID.DE", TLanguageLoad::Loaded, "Verlauf", "korvid.Korvid.de.lng"},
        {"PIPE", TLanguageLoad::Unreadable, "Verlauf"},
        {"NONE", TLanguageLoad::Missing, "Verlauf"},
        {"/../Korvid.EN.GB", TLanguageLoad::Missing, "Verlauf"}, // a code never leaves the folder
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(catalogue.LoadLanguage(row.code), row.outcome);
        EXPECT_EQ(catalogue.GetText("frmMain", "tsHisto"), row.tab);
        if (row.file != nullptr) {
            const auto info = TTranslation::GetLanguageInfo(dir / row.file, "Korvid");
            EXPECT_EQ(info.Outcome, row.outcome);
            EXPECT_EQ(info.Usable(), row.outcome == TLanguageLoad::Loaded);
            EXPECT_EQ(info.Code, info.Usable() ? row.code : "");
        }
    }
}

TEST(TranslationFolders, TheUserFolderComesFirstAndABrokenFileThereHidesNothing)
{
    test::TTempDir user;
    test::TTempDir shipped;
    TTranslation catalogue("Korvid");
    catalogue.SetFolders({user.Path(), shipped.Path()});
    shipped.Write("Korvid.EN.lng", "Language=English\nmsgRun=shipped\n");
    shipped.Write("Korvid.DE.lng", "Language=Deutsch\nmsgRun=shipped\n");
    shipped.Write("Korvid.NL.lng", "Language=Nederlands\nmsgRun=shipped\n");
    shipped.Write("Korvid.IT.lng", "msgRun=unnamed\n");
    user.Write("korvid.en.lng", "Language=English\nmsgRun=user\n"); // any case
    user.Write("Korvid.DE.lng", std::string("Language=x\n\0", 12));
    user.Write("Korvid.NL.lng", "msgRun=no name\n");
    user.Write("Korvid.IT.lng", std::string("\0", 1));
    user.Write("Korvid.ES.lng", "Language=Espanol\nmsgRun=user only\n");
    struct Row {
        const char* code;
        TLanguageLoad outcome;
        const char* run; // the text in effect afterwards
    };
    const Row rows[] = {
        {"EN", TLanguageLoad::Loaded, "user"},
        {"DE", TLanguageLoad::Loaded, "shipped"},
        {"ES", TLanguageLoad::Loaded, "user only"},
        {"NL", TLanguageLoad::Loaded, "shipped"},
        // Neither loads: the user's own fault is the one to report.
        {"IT", TLanguageLoad::NotText, "shipped"},
        {"PT", TLanguageLoad::Missing, "shipped"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(catalogue.LoadLanguage(row.code), row.outcome);
        EXPECT_EQ(catalogue.GetText("", "msgRun"), row.run);
    }
}

TEST(TLanguage, KeepsCodesSortedWithoutRegardToCaseAndDropsDuplicates)
{
    translation::TLanguage languages;
    std::vector<std::ptrdiff_t> added;
    for (const char* code : {"FRANCAIS", "english", "DEUTSCH", "Espanol", "English", "_X"})
        added.push_back(languages.Add(code));
    // '_' sorts after the letters once they are upper case.
    EXPECT_EQ(added, (std::vector<std::ptrdiff_t>{0, 0, 0, 2, -1, 4}));
    std::vector<std::string> items; // from one before the first to one after the last
    for (std::ptrdiff_t i = -1; i <= languages.Count(); ++i)
        items.push_back(languages.Items(i) != nullptr ? *languages.Items(i) : "none");
    EXPECT_EQ(items, (std::vector<std::string>{"none", "DEUTSCH", "english", "Espanol", "FRANCAIS",
                                               "_X", "none"}));
    EXPECT_EQ(languages.IndexOf("ESPANOL"), 2);
    EXPECT_EQ(languages.IndexOf("ITALIANO"), -1);
}

} // namespace
} // namespace korvid
