#include "workunits/wus.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/identity.h"
#include "workunits/log_text.h"

namespace korvid {

using test::Lines;
using workunits::TWUs;

class CollectionTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
};

std::string Unit(int project, std::string_view shutdown = "FINISHED_UNIT")
{
    const std::string p = std::to_string(project);
    return Lines({"[08:00:00] Core required: FahCore_78.exe",
                  "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                  "[08:00:01] Project: " + p + " (Run 1, Clone 2, Gen 3)",
                  "[08:10:00] Completed 1 out of 100 steps  (1%)",
                  "[08:20:00] Completed 2 out of 100 steps  (2%)",
                  "[08:20:01] Folding@home Core Shutdown: " + std::string(shutdown)});
}

const std::string Header = Lines({"[07:00:00] - User name: donor (Team 12)",
                                  "[07:00:00] - User ID: ABC", "[07:00:00] - Machine ID: 3"});

TEST_F(CollectionTest, TheSameLogFromTwoFoldersGivesEqualUnits)
{
    TWUs wus;
    const std::string log = Header + Unit(1) + Unit(2);
    EXPECT_EQ(wus.ReadLog(log, "/a/FAHlog.txt", clock).Added, 2);
    EXPECT_EQ(wus.ReadLog(log, "/b/FAHlog.txt", clock).Added, 0);
    EXPECT_EQ(wus.ReadLog(log, "/a/FAHlog.txt", clock).Added, 0);
    EXPECT_EQ(wus.ReadLog(log, "/Core required/FAHlog.txt", clock).Added, 0); // names no line
    EXPECT_EQ(wus.Count(), 2);

    TWUs other;
    other.ReadLog(log, "/c/FAHlog.txt", clock);
    EXPECT_TRUE(wus.Contains(*other.Items(0)));
    EXPECT_TRUE(wus.Contains(*wus.Items(1)));
}

TEST_F(CollectionTest, OneDifferentCharacterMakesADifferentUnit)
{
    TWUs wus;
    wus.ReadLog(Unit(1), "", clock);
    std::string changed = Unit(1);
    changed[changed.find("08:10:00")] = '1'; // a time stamp only
    TWUs other;
    other.ReadLog(changed, "", clock);
    EXPECT_FALSE(wus.Contains(*other.Items(0)));
    EXPECT_EQ(wus.ReadLog(changed, "", clock).Added, 1);
}

TEST_F(CollectionTest, IdentityCutsOnlyTheFirstLogPathLineAfterALineBreak)
{
    const auto kept = [](std::string_view text) {
        const auto identity = workunits::IdentityOf(text);
        return std::string(identity.Head) + std::string(identity.Tail);
    };
    EXPECT_EQ(kept("a\r\n- FahLog Path: x\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(kept("- FahLog Path: x\r\nb\r\n"), "- FahLog Path: x\r\nb\r\n");
    EXPECT_EQ(kept("a\r\n- FahLog Path: x\r\n- FahLog Path: y\r\n"), "a\r\n- FahLog Path: y\r\n");
    // The donor lines the client reader places after its path line are not the unit's own.
    EXPECT_EQ(kept("a\r\n- FahLog Path: x\r\n01:00:00:  <user v='d'/>\r\n"
                   "01:00:00:  <team v='7'/>\r\n01:00:00:  <user v='e'/>\r\nb\r\n"),
              "a\r\n01:00:00:  <user v='e'/>\r\nb\r\n");
    // Equal texts cut in different places are still equal, with equal hashes.
    const workunits::TIdentity split{"ab", "cd"};
    const workunits::TIdentity whole{"abcd", ""};
    EXPECT_EQ(split, whole);
    EXPECT_EQ(split.Hash(), whole.Hash());
    EXPECT_NE((workunits::TIdentity{"abce", ""}).Hash(), whole.Hash());
}

// Delete and DeleteWhere forget what they remove, and leave the others' order and addresses.
TEST_F(CollectionTest, DeletedUnitsCanComeBackAndTheOthersStayPut)
{
    TWUs wus;
    wus.ReadLog(Unit(1) + Unit(2) + Unit(3) + Unit(4) + Unit(5), "", clock);
    const auto* second = wus.Items(1);
    const auto* fourth = wus.Items(3);
    wus.Delete(0);
    wus.Delete(9); // none there
    EXPECT_EQ(wus.DeleteWhere([](const workunits::TWU& wu) { return wu.Project % 2 == 1; }), 2);
    ASSERT_EQ(wus.Count(), 2);
    EXPECT_EQ(wus.Items(0), second);
    EXPECT_EQ(wus.Items(1), fourth);
    EXPECT_EQ(wus.IndexOf(fourth), 1);
    EXPECT_EQ(wus.ReadLog(Unit(1) + Unit(2) + Unit(3), "", clock).Added, 2); // not 2
    wus.Clear();
    EXPECT_EQ(wus.ReadLog(Unit(2), "", clock).Added, 1);
}

} // namespace korvid
