#include "window/wu_info.h"

#include <filesystem>
#include <tuple>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"
#include "window/window_testing.h"

namespace korvid {
namespace {

using workunits::core::Gromacs;
using workunits::core::Tinker;

class WUInfoTest : public ::testing::Test {
protected:
    translation::TTranslation catalogue = test::FrenchCatalogue();
    util::TFixedRegionalSettings regional;

    // A language file shipped with the program, over the built-in texts.
    static translation::TTranslation Shipped(const char* code)
    {
        translation::TTranslation shipped = test::FrenchCatalogue();
        shipped.SetFolder(std::filesystem::path(KORVID_SOURCE_DIR) / "data" / "lang");
        EXPECT_EQ(shipped.LoadLanguage(code), translation::TLanguageLoad::Loaded);
        return shipped;
    }
    static void SetDonor(workunits::TWU& wu)
    {
        wu.UserName = "Korvid_Demo";
        wu.UserID = "5A3C19E0";
        wu.MachineID = 2;
        wu.Team = 32;
        wu.LogPath = "/home/u/fah/FAHlog.txt";
    }
};

// The whole block, as the files in data/ hold it (their last line end aside).
TEST_F(WUInfoTest, MemoOfAUnitWithStepsOrWithoutThem)
{
    const auto withSteps = test::MakeUnit("p1234_abc", Gromacs, 100, test::EvenSteps(0, 4, 150));
    auto without = test::MakeUnit("p1234_abc", Gromacs, 100, {});
    without->EndTime = test::At(2006, 6, 29, 20, 41);
    without->Run = -1; // never logged
    SetDonor(*withSteps);
    SetDonor(*without);
    without->LogPath.clear();
    const std::pair<const workunits::TWU*, const char*> rows[] = {
        {withSteps.get(), "memo-steps.txt"}, {without.get(), "memo-no-steps.txt"}};
    for (const auto& [wu, file] : rows) {
        SCOPED_TRACE(file);
        std::string expected = test::TestData(std::string("window/data/") + file);
        expected.pop_back();
        const window::TWUInfo info = window::BuildWUInfo(*wu, catalogue, regional);
        EXPECT_EQ(info.Memo, expected);
        EXPECT_EQ(info.Title, "p1234_abc (Run " + std::to_string(wu->Run) + ", Clone 12, Gen 45)");
    }
    without->StartTime = 0; // not known: no elapsed time, not 68 years
    EXPECT_NE(window::BuildWUInfo(*without, catalogue, regional).Memo.find("Temps écoulé: \n"),
              std::string::npos);
}

// The built-in texts follow the region's separator; the shipped French file writes its own.
TEST_F(WUInfoTest, ValidityHasTwoDecimalsWithTheSeparatorOfTheRegionOrTheFile)
{
    const translation::TTranslation file = Shipped("FRANCAIS");
    for (const auto& row : test::CaseTable("window/data/benchmark_validity.cases", 6)) {
        SCOPED_TRACE(row[0]);
        regional.Decimal = row[2][0];
        const auto wu = test::MakeUnit("p1", Tinker, std::stoi(row[3]),
                                       test::EvenSteps(1, std::stoi(row[4]), 60));
        const std::string memo =
            window::BuildWUInfo(*wu, row[1] == "file" ? file : catalogue, regional).Memo;
        EXPECT_NE(memo.find(row[5] + "\n"), std::string::npos) << memo;
    }
}

TEST_F(WUInfoTest, TitleOfAUnitWithoutProteinNamesItsProject)
{
    auto wu = test::MakeUnit("", 0x11, 100, test::EvenSteps(0, 4, 150));
    wu->Project = 5781;
    const window::TWUInfo info = window::BuildWUInfo(*wu, catalogue, regional);
    EXPECT_EQ(info.Title, "p5781 (Run 3, Clone 12, Gen 45)");
    EXPECT_NE(info.Memo.find("Core: GPU2 (11)\n"), std::string::npos);
}

TEST_F(WUInfoTest, AUnitStillFoldingShowsTimeLeftAndExpectedEnd)
{
    // Frame 40 logged at 21:23:30, 60 frames of 150 s to go: the end at 23:53:30.
    const auto wu = test::MakeUnit("p1234_abc", Gromacs, 100, test::EvenSteps(0, 40, 150));
    const double lastFrame = wu->Steps.Back().Date;
    const translation::TTranslation english = Shipped("ENGLISH");
    const std::tuple<const char*, const translation::TTranslation*, double, const char*> rows[] = {
        {"an hour after the last frame", &catalogue, lastFrame + 1.0 / 24,
         "Temps restant: 1 h. 30 mn.\nFin prévue: 2006-06-29 23:53"},
        {"in English", &english, lastFrame + 1.0 / 24,
         "Time left: 1 h 30 min\nExpected end: 2006-06-29 23:53"},
        {"a client stopped past the end", &catalogue, lastFrame + 1,
         "Temps restant: \nFin prévue: 2006-06-29 23:53"},
    };
    for (const auto& [name, texts, now, eta] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(window::EtaText(*wu, now, *texts, regional), eta);
        const std::string memo = window::BuildWUInfo(*wu, *texts, regional, now).Memo;
        EXPECT_NE(memo.find(std::string("%\n") + eta + "\n\n"), std::string::npos) << memo;
    }
    // Without the clock, or for a unit done, the block is as it was.
    const std::string plain = window::BuildWUInfo(*wu, catalogue, regional).Memo;
    EXPECT_EQ(plain.find("Temps restant"), std::string::npos);
    const auto done = test::MakeUnit("p1234_abc", Gromacs, 100, test::EvenSteps(0, 100, 150));
    EXPECT_EQ(window::BuildWUInfo(*done, catalogue, regional, lastFrame).Memo,
              window::BuildWUInfo(*done, catalogue, regional).Memo);
}

TEST(WUInfoCore, CodeIsQuestionMarkForNoneOrPlaceholderElseUpperHex)
{
    const std::pair<std::uint16_t, const char*> rows[] = {
        {0, "?"}, {999, "?"}, {0x05, "05"}, {0x7A, "7A"}, {0x1AB, "1AB"}};
    for (const auto& [core, text] : rows)
        EXPECT_EQ(window::CoreCodeText(core), text) << core;
}

} // namespace
} // namespace korvid
