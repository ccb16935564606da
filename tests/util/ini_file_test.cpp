#include "util/ini_file.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "util/error.h"

namespace korvid {

TEST(ParseIniInteger, TakesDecimalDigitsWithAnOptionalSignOnly)
{
    for (const auto& row : test::CaseTable("util/data/ini_integers.cases", 3)) {
        SCOPED_TRACE(row[0]);
        const auto expected = row[2] == "none" ? std::nullopt : std::optional(std::stoi(row[2]));
        EXPECT_EQ(util::ParseIniInteger(row[1]), expected);
    }
}

TEST(IniFile, ReadsWithoutRegardToCaseTheFirstOfEqualKeysOrTheFallback)
{
    util::TIniFile ini;
    ini.SetText("[general]\r\nFORMWIDTH = 800\r\nLastFahLog=/logs/a b.txt \r\nSort=abc\r\n"
                "ShowInfo=\nTop=1\ntop=0\n[General]\nTop=5\n");
    struct TRow {
        const char* section;
        const char* key;
        const char* text; // nullptr: absent, the fallback answers
        int integer;      // with -3 as the fallback
    };
    const TRow rows[] = {
        {"General", "FormWidth", "800", 800}, {"GENERAL", "lastfahlog", "/logs/a b.txt", -3},
        {"Other", "LastFahLog", nullptr, -3}, {"General", "Sort", "abc", -3},
        {"General", "ShowInfo", "", -3},      {"General", "Absent", nullptr, -3},
        {"General", "Top", "1", 1},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(ini.ReadString(row.section, row.key, "none"), row.text ? row.text : "none");
        EXPECT_EQ(ini.ReadInteger(row.section, row.key, -3), row.integer);
    }
}

TEST(IniFile, WritingKeepsEveryOtherLineAndTheKeysPlace)
{
    util::TIniFile ini;
    ini.SetText("; written by hand\n[General]\nformwidth=10\nMine=keep me\n\n[Other]\nX=1\n");
    ini.WriteInteger("General", "FormWidth", 700);
    ini.WriteInteger("General", "Sort", 1);
    ini.WriteString("Other", "Y", "two");
    ini.WriteString("New", "Lang", "ENGLISH");
    EXPECT_EQ(ini.Text(), "; written by hand\n[General]\nformwidth=700\nMine=keep me\nSort=1\n\n"
                          "[Other]\nX=1\nY=two\n[New]\nLang=ENGLISH\n");
}

TEST(IniFile, WritesOnlyWhatReadsBackAsWritten)
{
    util::TIniFile ini;
    ini.SetText("[General]\nLastFahLog=/old\n");
    for (const auto& row : test::CaseTable("util/data/ini_writes.cases", 5)) {
        SCOPED_TRACE(row[0]);
        const std::string before = ini.Text();
        const bool written = row[4] == "yes";
        EXPECT_EQ(ini.WriteString(row[1], row[2], row[3]), written);
        util::TIniFile reread;
        reread.SetText(ini.Text());
        EXPECT_EQ(reread.Entries(), ini.Entries());
        if (written)
            EXPECT_EQ(reread.ReadString(row[1], row[2], "?"), row[3]);
        else
            EXPECT_EQ(ini.Text(), before);
    }
}

// Written and read back through the disk; a missing, unreadable or oversized file reads as empty
// and says so; a failed write names the file and leaves it as it was.
TEST(IniFileOnDisk, ReadsBackWhatItWroteAndNeverLosesAFileItCouldNotRead)
{
    const test::TTempDir dir;
    dir.Write("Korvid.ini", "[General]\r\nUnknown=stays\r\n");
    util::TIniFile ini(dir / "Korvid.ini");
    EXPECT_EQ(ini.LoadOutcome(), util::TIniLoad::Loaded);
    ini.WriteInteger("General", "FormTop", -20);
    ini.WriteString("General", "LastFahLog", "/home/d\xC3\xA9j\xC3\xA0/FAHlog.txt");
    ini.UpdateFile();
    EXPECT_EQ(util::TIniFile(dir / "Korvid.ini").Entries(), ini.Entries());

    const util::TIniFile missing(dir / "Missing.ini");
    EXPECT_EQ(missing.LoadOutcome(), util::TIniLoad::Missing);
    EXPECT_EQ(missing.ReadInteger("General", "FormWidth", 640), 640);
    dir.Write("Huge.ini", "[General]\nFormWidth=1\n" + std::string(util::MaxIniBytes, ';'));
    const util::TIniFile huge(dir / "Huge.ini");
    EXPECT_EQ(huge.LoadOutcome(), util::TIniLoad::Failed);
    EXPECT_EQ(huge.ReadInteger("General", "FormWidth", 640), 640);

    std::filesystem::create_directory(dir / "Folder.ini");
    util::TIniFile folder(dir / "Folder.ini");
    EXPECT_EQ(folder.LoadOutcome(), util::TIniLoad::Failed);
    folder.WriteInteger("General", "Sort", 1);
    test::ExpectErrorNaming([&] { folder.UpdateFile(); }, {"Folder.ini"});
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Folder.ini"));
}

} // namespace korvid
