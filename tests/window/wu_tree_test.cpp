#include "window/wu_tree.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fake_window_seams.h"
#include "testing/fakes.h"
#include "testing/temp_dir.h"
#include "window_testing.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using test::TUnitPlan;

class WUTreeTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
    test::TFakeRegionalSettings regional;
    workunits::TWUs wus;

    void Read(const std::vector<TUnitPlan>& units)
    {
        std::string log;
        for (const TUnitPlan& unit : units)
            log += test::UnitLog(unit);
        wus.ReadLog(log, "/logs/FAHlog.txt", clock);
        ASSERT_EQ(wus.Count(), static_cast<std::ptrdiff_t>(units.size()));
    }

    static std::vector<std::string> Texts(const std::vector<window::TTreeNode>& nodes)
    {
        std::vector<std::string> texts;
        for (const auto& node : nodes)
            texts.push_back(node.Text);
        return texts;
    }
};

} // namespace

TEST_F(WUTreeTest, IconTellsTheCoreAndWhetherTheUnitIsComplete)
{
    for (const auto& row : test::CaseTable("window/data/unit_icons.cases", 6)) {
        SCOPED_TRACE(row[0]);
        TUnitPlan unit;
        unit.Core = row[1];
        unit.FirstStep = std::stoi(row[2]);
        unit.LastStep = std::stoi(row[3]);
        workunits::TWUs one;
        one.ReadLog(test::UnitLog(unit), "", clock);
        ASSERT_EQ(one.Count(), 1);
        EXPECT_EQ(window::WUImageIndex(*one.Items(0)), std::stoi(row[4]));
        EXPECT_EQ(window::IsComplete(*one.Items(0)), row[5] == "yes");
    }
}

TEST(ProjectDigits, TakesTheFirstPDigitsUnderscoreRunAndComparesItAsANumber)
{
    for (const auto& row : test::CaseTable("window/data/project_digits.cases", 3)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(window::ProjectDigits(row[0]).value_or("none"), row[1]);
        EXPECT_EQ(window::CompareProjectNumbers(row[0], "p10_a"), std::stoi(row[2]));
    }
}

TEST_F(WUTreeTest, ProjectGroupsAscendByNumberAndUnitsByStart)
{
    Read({{.Protein = "p200_b", .Day = 5},
          {.Protein = "p_odd", .Day = 1},
          {.Protein = "p10_a", .Day = 6},
          {.Protein = "P10_A", .Day = 4}});
    const auto tree = window::BuildTree(wus, window::TGrouping::ByProject, regional);
    // The group without a number compares equal to every other and is left where merging puts it.
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"p10_a", "p200_b", "p_odd"}));
    for (const auto& group : tree)
        EXPECT_EQ(group.Image, window::wu_image::Project);

    // Letter case aside, one name is one group; it bears the first unit's name.
    const auto& p10 = tree[0];
    ASSERT_EQ(Texts(p10.Children),
              (std::vector<std::string>{"Run 1, Clone 2, Gen 3 [04/03/2026 08:00]",
                                        "Run 1, Clone 2, Gen 3 [06/03/2026 08:00]"}));
    EXPECT_EQ(wus.Items(p10.Children[0].StateIndex)->Protein, "P10_A");
    EXPECT_EQ(wus.Items(p10.Children[1].StateIndex)->Protein, "p10_a");
    EXPECT_TRUE(p10.Children[0].IsWUNode());
    EXPECT_FALSE(p10.IsWUNode());
}

TEST_F(WUTreeTest, ClientUnitsGroupByProjectNumberAndNameTheirSlotWhereThereAreSeveral)
{
    // Two slots' units in a v7 log, the second started an hour after the first.
    const std::string log = test::TestData("window/data/two_slots.log");
    wus.ReadLog(log, "/fah/log.txt", clock);
    const auto tree = window::BuildTree(wus, window::TGrouping::ByProject, regional);
    // No protein line: named and ordered by the project number, which as text would sort after.
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"p900", "p13001"}));
    EXPECT_EQ(Texts(tree[0].Children),
              (std::vector<std::string>{"Run 1, Clone 2, Gen 3 [04/03/2026 09:00] FS00"}));
    const auto days = window::BuildTree(wus, window::TGrouping::ByDate, regional);
    ASSERT_EQ(days.size(), 1u);
    EXPECT_EQ(days[0].Children[0].Text, "[08:00] p13001 FS01 (R: 1, C: 2, G: 3) ");

    // One slot alone is not named.
    workunits::TWUs one;
    one.ReadLog(log.substr(0, log.find("09:00:00")), "/fah/log.txt", clock);
    EXPECT_EQ(window::BuildTree(one, window::TGrouping::ByProject, regional)[0].Children[0].Text,
              "Run 1, Clone 2, Gen 3 [04/03/2026 08:00]");
}

TEST_F(WUTreeTest, DayGroupsAscendByDateEvenWhenTheirTextCannotBeReadBack)
{
    regional.MonthNames = true;
    Read({{.Protein = "p1_a", .Day = 10, .Hour = 9},
          {.Protein = "p2_b", .Day = 4, .Hour = 10},
          {.Protein = "p3_c", .Month = "February", .Day = 9},
          {.Protein = "p4_d", .Day = 4}});
    const auto tree = window::BuildTree(wus, window::TGrouping::ByDate, regional);
    // Sorted as text, "10 March" would come first.
    EXPECT_EQ(Texts(tree),
              (std::vector<std::string>{"9 February 2026", "4 March 2026", "10 March 2026"}));
    EXPECT_EQ(tree[1].Image, window::wu_image::Calendar);
    EXPECT_EQ(Texts(tree[1].Children),
              (std::vector<std::string>{"[08:00] p4_d (R: 1, C: 2, G: 3) ",
                                        "[10:00] p2_b (R: 1, C: 2, G: 3) "}));
}

TEST_F(WUTreeTest, AUnitWithoutADayShowsNoDate)
{
    // Its log began inside it: the time stamps alone give no day.
    wus.ReadLog(test::TestData("window/data/no_day.log"), "", clock);
    const auto byProject = window::BuildTree(wus, window::TGrouping::ByProject, regional);
    ASSERT_EQ(byProject.size(), 1u);
    EXPECT_EQ(byProject[0].Children[0].Text, "Run 2, Clone 3, Gen 4 []");
    const auto byDate = window::BuildTree(wus, window::TGrouping::ByDate, regional);
    EXPECT_EQ(byDate[0].Children[0].Text, "[] p1 (R: 2, C: 3, G: 4) ");
    EXPECT_EQ(window::DateTimeText(0.35, regional), "");
}

TEST_F(WUTreeTest, ProteinNamesShowAsUtf8WhateverTheLogsCodePage)
{
    Read({{.Protein = "p5_\xE9t\xE9", .Day = 4}});
    const auto tree = window::BuildTree(wus, window::TGrouping::ByProject, regional);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].Text, "p5_\xC3\xA9t\xC3\xA9");
}

} // namespace korvid
