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
    using workunits::IdentityOf;
    const auto cut = IdentityOf("a\r\n- FahLog Path: x\r\nb\r\n");
    EXPECT_EQ(std::string(cut.Head) + std::string(cut.Tail), "a\r\nb\r\n");
    const auto atStart = IdentityOf("- FahLog Path: x\r\nb\r\n");
    EXPECT_EQ(atStart.Tail, "");
    EXPECT_EQ(atStart.Head, "- FahLog Path: x\r\nb\r\n");
    const auto twice = IdentityOf("a\r\n- FahLog Path: x\r\n- FahLog Path: y\r\n");
    EXPECT_EQ(std::string(twice.Head) + std::string(twice.Tail), "a\r\n- FahLog Path: y\r\n");
    // The donor lines the client reader places after its path line are not the unit's own.
    const auto donor = IdentityOf("a\r\n- FahLog Path: x\r\n01:00:00:  <user v='d'/>\r\n"
                                  "01:00:00:  <team v='7'/>\r\n01:00:00:  <user v='e'/>\r\nb\r\n");
    EXPECT_EQ(std::string(donor.Head) + std::string(donor.Tail),
              "a\r\n01:00:00:  <user v='e'/>\r\nb\r\n");
    // Equal texts cut in different places are still equal, with equal hashes.
    const workunits::TIdentity split{"ab", "cd"};
    const workunits::TIdentity whole{"abcd", ""};
    EXPECT_EQ(split, whole);
    EXPECT_EQ(split.Hash(), whole.Hash());
    EXPECT_NE((workunits::TIdentity{"abce", ""}).Hash(), whole.Hash());
}

// Logs and stored texts whose units once came back merged, split or grown from their AllText.
TEST_F(CollectionTest, AStoredTextReadsBackIntoTheUnitsItWasWrittenFrom)
{
    const std::string open = "[08:00:00] Core required: FahCore_78.exe\r\n"
                             "[08:10:00] Completed 1 out of 100 steps  (1%)\r\n";
    const std::string shut = "[08:20:01] Folding@home Core Shutdown: FINISHED_UNIT\r\n";
    const std::string run = "[09:00:00] - User name: b (Team 1)\r\n- FahLog Path: /b\r\n";
    struct TCase {
        const char* What;
        std::string Text;
        const char* Path;
        int Units;
    } cases[] = {
        {"a header line that opens the unit",
         "[07:00:00] - User name: a Core required\r\n" + open + shut + Unit(2), "/logs/FAHlog.txt",
         2},
        {"a restart's header lines in a unit",
         open + "[08:11:00] Completed 2 out of 100 steps  (2%)- FahLog Path: \r\n" + Header +
             "[08:30:00] Core required: FahCore_78.exe\r\n" + shut,
         "/logs/FAHlog.txt", 1},
        {"the stored form's path line in a log", open + "- FahLog Path: /x\r\n" + Unit(2),
         "/logs/FAHlog.txt", 1},
        {"a header run after a unit never closed, then a path-kind line",
         open + run + "[09:00:01] - FahLog Path (junk)\r\n" + Unit(3), "", 2},
        {"a header line that closes the unit, right before a path line",
         "Core required\r\n- Machine ID: 1 Folding@home Core Shutdown\r\n"
         "- FahLog Path\r\n- FahLog Path: /y\r\n[09:00:00] Core required\r\n",
         "", 2},
        {"a log-path line and an empty line before a client line",
         "Core required\r\n- FahLog Path: - Machine ID\r\n\r\n00:07:00:\r\n", "", 2},
        {"a log-path line holding a header's words, then a line of neither kind",
         "Core required\r\n- FahLog Path: - User ID\r\n7\r\n09:13:19:\r\n", "", 2},
        {"a copy ended by a log-path line, then an opening line of the path kind",
         "x Core required\r\n21:48:30:\r\nx Core required\r\n- FahLog Path: \r\n"
         "Core required- FahLog Path\r\n",
         "", 3},
        {"a header run, then a unit dropped as outdated",
         open + run + Unit(4, "CORE_OUTDATED") + Unit(5), "", 2},
        {"a copy dropped between a unit never closed and the next",
         run + Unit(7) + open + run + Unit(7) + Unit(8), "", 3},
        {"a line of neither kind between two client texts",
         "12:21:09:I1:WU1:Completed 1%\r\n0\r\n12:21:09:I1:WU1:Completed 2%\r\n", "", 1},
        {"a client copy refused between two texts of one unit",
         "11:52:39:I1:WU2:Completed 4%\r\n11:53:01:I1:WU1:Completed 6%)\r\n"
         "11:52:39:I1:WU2:Completed 4%\r\n11:53:01:I1:WU1:Completed 6%\r\n",
         "", 2},
        {"a v5/v6 unit passing over a line with a client time stamp",
         open + "18:39:17:Project: \r\n" + shut, "/logs/FAHlog.txt", 1},
        {"a v5/v6 log with a client line that would open a unit",
         "[06:48:53]\r\n18:06:54:Core required: FahCore_a2.exe\r\n" + Unit(2),
         "/logs/FAHlog.txt", 1},
        {"a head repeating a line that closed a unit of the open unit's key",
         "* Log Started 2012-01-11T03:24:22\r\n00:05:00:WU01:FS00:FahCore returned: \r\n"
         "03:25:32:WU01:FS00:Project: 0 (Run 6, Clone 0, Gen 5)\r\n"
         "03:25:37:WU1:Project: 6 (Run 3, Clone 1, Gen 4)\r\n",
         "/logs/log.txt", 3},
        {"a head repeating the first line of a unit it follows",
         "* Date: 2011-05-20\r\n18:06:54:\r\n* Date: 2011-05-20\r\n"
         "00:07:00:WU8:Project: 5 (Run 6, Clone 7, Gen 8)\r\n"
         "2022-12-27:11:48:30:WU1:Project: 5 (Run 6, Clone 7, Gen 8)\r\n",
         "/logs/log.txt", 2},
        {"a client text going on across a v5/v6 unit",
         "18:06:54:\r\n" + open + "* Log Rotated 2022-12-28T00:00:00\r\n", "", 2},
        {"a client text across a v5/v6 unit, then one that begins with its own line",
         "10:00:00:WU1:FS0:Project: 1 (Run 1, Clone 1, Gen 1)\r\n" + open +
             "* Log Rotated 2022-12-28T00:00:00\r\n10:00:01:WU1:FS0:Completed 1%\r\n"
             "10:00:02:WU2:FS1:Project: 2 (Run 2, Clone 2, Gen 2)\r\n",
         "", 3},
        {"a core line naming no unit, after a banner, before any unit started",
         "11:40:00:WU1:Core returned INTERRUPTED\r\n* Log Rotated 2022-12-28T00:00:00\r\n"
         "18:06:54:FahCore 0xa3 started\r\n18:07:04:Unit 0:Project: 1 (Run 0, Clone 9, Gen 3)\r\n",
         "/logs/log.txt", 2},
        {"a core line naming no unit, after a banner, in another slot's unit than the open one",
         "09:13:11:WU1:Running FahCore: \r\n11:50:01:WU2:Type: 0xa8\r\n"
         "* Log Rotated 2022-12-28T00:00:00\r\n18:06:54:FahCore 0xa3 started\r\n"
         "18:07:04:Unit 0:Project: 6 (Run 0, Clone 9, Gen 0)\r\n",
         "/logs/log.txt", 3},
        {"a core line naming no unit, after a banner, before its unit's closing result",
         "18:06:54:Starting Unit 01\r\n18:07:04:Unit 01:Project: 1 (Run 0, Clone 3, Gen 1)\r\n"
         "11:40:00:WU1:Core returned INTERRUPTED\r\n* Log Rotated 2022-12-28T00:00:00\r\n"
         "18:06:54:FahCore 0xa3 started\r\n18:39:17:FahCore, running Unit 01, returned: \r\n",
         "/logs/log.txt", 2},
        {"a head repeating a core line naming no unit from before any unit started",
         "* Log Rotated 2022-12-28T00:00:00\r\n18:06:54:FahCore 0xa3 started\r\n"
         "09:13:26:WU0:Running FahCore: \r\n12:21:14:WU1:Completed 0%\r\n",
         "/logs/log.txt", 2},
        {"a head repeating the closing line of a unit stored two texts before it",
         "* Log Rotated 2022-12-28T00:00:00\r\n00:00:05:WU2:Core returned \r\n"
         "2022-12-27:11:48:31:WU1:Completed 0%)\r\n11:50:00:WU2:Received WU P9 R1 C2 G1\r\n"
         "11:10:11:WU2:Project: 8 (Run 0, Clone 0, Gen 3)v\r\n",
         "/logs/log.txt", 4},
        {"a head of a core line from before the open unit started, after a banner it holds",
         "09:17:41:WU1:Completed 2%\r\n* Log Rotated 2022-12-28T00:00:00\r\n"
         "18:06:54:FahCore 0xa3 started\r\n11:10:16:WU1:Starting\r\n10:50:49:WU0:Completed 7%\r\n",
         "/logs/log.txt", 2},
        {"a core line naming no unit after a banner, another key's start stored after its own",
         "11:13:19:WU2:Starting\r\n11:40:00:WU1:Running FahCore: 0\r\n"
         "11:40:00:WU1:Core returned \r\n01:48:31:WU1:Completed 0%\r\n"
         "11:50:01:WU4:FahCore 0xa3 started\r\n* Log Rotated 2456-12-28T00:00:00\r\n"
         "18:06:54:FahCore 0xa3 started\r\n",
         "/logs/log.txt", 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TWUs wus;
        wus.ReadLog(c.Text, c.Path, clock);
        ASSERT_EQ(wus.Count(), c.Units);
        TWUs again;
        again.ReadLog(wus.AllText(), "", clock);
        test::ExpectSameUnits(wus, again);
        EXPECT_EQ(wus.Items(0)->Text.find("- FahLog Path: /x"), std::string_view::npos);
        EXPECT_EQ(again.ReadLog(wus.AllText(), "", clock).Added, 0);
    }
}

TEST_F(CollectionTest, DeleteForgetsTheUnitSoItCanComeBack)
{
    TWUs wus;
    wus.ReadLog(Unit(1) + Unit(2), "", clock);
    const auto* second = wus.Items(1);
    EXPECT_EQ(wus.IndexOf(second), 1);
    wus.Delete(0);
    EXPECT_EQ(wus.Count(), 1);
    EXPECT_EQ(wus.Items(0), second); // addresses stay put
    EXPECT_EQ(wus.ReadLog(Unit(1), "", clock).Added, 1);
    wus.Delete(5);
    EXPECT_EQ(wus.Count(), 2);
    wus.Clear();
    EXPECT_EQ(wus.ReadLog(Unit(2), "", clock).Added, 1);
}

TEST_F(CollectionTest, DeleteWhereRemovesThePickedUnitsInOnePassAndForgetsThem)
{
    TWUs wus;
    wus.ReadLog(Unit(1) + Unit(2) + Unit(3) + Unit(4), "", clock);
    const auto* second = wus.Items(1);
    const auto* fourth = wus.Items(3);
    EXPECT_EQ(wus.DeleteWhere([](const workunits::TWU& wu) { return wu.Project % 2 == 1; }), 2);
    ASSERT_EQ(wus.Count(), 2);
    EXPECT_EQ(wus.Items(0), second); // order and addresses of the others stay
    EXPECT_EQ(wus.Items(1), fourth);
    EXPECT_EQ(wus.ReadLog(Unit(1) + Unit(2), "", clock).Added, 1); // 1 is forgotten, 2 is not
}

} // namespace korvid
