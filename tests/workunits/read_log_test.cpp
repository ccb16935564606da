#include "workunits/wus.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/log_text.h"

namespace korvid {
namespace {

using test::At;
using test::Digest;
using test::Lines;
using workunits::TWU;
using workunits::TWUs;

class ReadLogTest : public ::testing::Test {
protected:
    test::TFakeClock clock; // 2026-12-06 12:00
    TWUs wus;

    const TWU& Only()
    {
        EXPECT_EQ(wus.Count(), 1);
        return *wus.Items(0);
    }
};

const std::string WorkedDonor = Lines({
    "[08:00:00] - User name: donor (Team 12)",
    "[08:00:00] - Machine ID: 1",
});
const std::string WorkedUnit = Lines({
    "[08:00:05] Core required: FahCore_78.exe",
    "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
    "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
    "[08:00:10] Completed 0 out of 500 steps  (0%)",
    "[08:30:10] Completed 5 out of 500 steps  (1%)",
    "[09:00:40] Completed 10 out of 500 steps  (2%)",
    "[09:00:41] Folding@home Core Shutdown: DONE",
});

TEST_F(ReadLogTest, ReadsTheWorkedExample)
{
    const auto stats = wus.ReadLog(WorkedDonor + WorkedUnit, "C:\\Client\\FAHlog.txt", clock);
    EXPECT_EQ(stats.Added, 1);
    EXPECT_EQ(stats.UnconvertedLines, 0);
    const TWU& wu = Only();
    EXPECT_EQ(wu.Text, WorkedDonor + "- FahLog Path: C:\\Client\\FAHlog.txt\r\n" + WorkedUnit);
    EXPECT_EQ(Digest(wu), "prcg 2665 1 2 3; core 78; frames 100; donor donor 12  1; start "
                          "2026-03-04 08:00:05; end 2026-03-04 09:00:40; steps 0/5@08:00:10 "
                          "1/1800@08:30:10 2/1830@09:00:40; shut DONE; lines 10");
    EXPECT_EQ(wu.LogPath, "C:\\Client\\FAHlog.txt");
    EXPECT_EQ(wu.ShutdownLine, "[09:00:41] Folding@home Core Shutdown: DONE");
    EXPECT_EQ(wu.ElapsedSeconds(), 3635);
    EXPECT_EQ(wu.CalculationSeconds(), 3630);
    EXPECT_EQ(wu.FoldedFrames(), 2);
    EXPECT_EQ(wu.Benchmark(), (workunits::TBenchmark{2, 1815, 2}));
}

// Logs of the 5.x and 6.x clients; the clock stands on 2026-12-06 unless a row moves it.
TEST_F(ReadLogTest, EachLogGivesItsUnits)
{
    const std::string core78 = "[08:00:00] Core required: FahCore_78.exe";
    const std::string unit01 = "[08:00:00] Working on Unit 01 [March 4 08:00:00]";
    const std::string core11 = "[08:00:00] Core required: FahCore_11.exe";
    const std::string core15 = "[08:00:00] Core required: FahCore_15.exe";
    const std::string slot01 = "[08:00:00] Working on queue slot 01 [March 4 08:00:00 UTC]";
    struct TRow {
        const char* name;
        std::string log;
        const char* units; // their digests, one a line
        double now = 0;
    };
    const TRow rows[] = {
        {"an interrupted unit resumes after the restart; INTERRUPTED is dropped",
         Lines({"[08:00:05] Core required: FahCore_78.exe",
                "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
                "[08:10:05] Completed 5 out of 500 steps  (1%)",
                "[08:20:05] Completed 10 out of 500 steps  (2%)",
                "[08:20:30] Folding@home Core Shutdown: INTERRUPTED",
                "[09:00:00] Core required: FahCore_78.exe",
                "[09:00:00] Working on Unit 01 [March 4 09:00:00]",
                "[09:10:00] Completed 15 out of 500 steps  (3%)",
                "[09:20:00] Folding@home Core Shutdown: FINISHED_UNIT"}),
         "core 78; frames 100; start 2026-03-04 09:00:00; from 2026-03-04 08:00:05; end 2026-03-04 "
         "09:10:00; steps 1/600@08:10:05 2/600@08:20:05R 3/600@09:10:00; shut FINISHED_UNIT; lines "
         "8\n"},
        {"a CORE_OUTDATED unit is dropped and the retry is a new unit",
         Lines({"[08:00:05] Core required: FahCore_a2.exe",
                "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
                "[08:00:07] Folding@home Core Shutdown: CORE_OUTDATED",
                "[08:01:05] Core required: FahCore_a2.exe",
                "[08:01:06] Project: 2665 (Run 1, Clone 2, Gen 3)"}),
         "prcg 2665 1 2 3; core A2; frames 100; lines 2\n"},
        {"what lies outside a unit reaches none",
         Lines({"[08:00:10] Completed 0 out of 500 steps  (0%)",
                "[08:00:11] Folding@home Core Shutdown: FINISHED_UNIT"}),
         ""},
        {"a log that begins in the middle of a unit loses its first lines",
         Lines({"[08:00:10] Completed 3 out of 500 steps  (3%)",
                "[08:00:11] Folding@home Core Shutdown: FINISHED_UNIT", core78,
                "[08:02:00] Completed 0 out of 500 steps  (0%)"}),
         "core 78; frames 100; end 1899-12-30 08:02:00; steps 0/0@08:02:00; lines 2\n"},
        {"the same frame again merges",
         Lines({core78, unit01, "[08:10:00] Completed 1 out of 100 steps  (1%)",
                "[08:15:00] Completed 2 out of 100 steps  (2%)",
                "[08:16:00] Completed 2 out of 100 steps  (2%)",
                "[08:20:00] Completed 3 out of 100 steps  (3%)"}),
         "core 78; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:20:00; steps "
         "1/600@08:10:00 2/360@08:16:00 3/240@08:20:00; lines 6\n"},
        {"a frame below every frame before leaves the new step alone",
         Lines({core78, "[08:10:00] Completed 5 out of 100 steps  (5%)",
                "[08:20:00] Completed 6 out of 100 steps  (6%)",
                "[08:30:00] Completed 2 out of 100 steps  (2%)"}),
         "core 78; frames 100; from 1899-12-30 08:20:00; end 1899-12-30 08:30:00; steps "
         "2/600@08:30:00; lines 4\n"},
        {"a resume one frame back keeps the frames before it",
         Lines({core78, unit01, "[08:10:00] Completed 1 out of 100 steps  (1%)",
                "[08:20:00] Completed 2 out of 100 steps  (2%)",
                "[08:30:00] Completed 3 out of 100 steps  (3%)",
                "[08:40:00] Completed 2 out of 100 steps  (2%)"}),
         "core 78; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:40:00; steps "
         "1/600@08:10:00R 2/600@08:40:00; lines 6\n"},
        {"a fall to frame 0 starts over",
         Lines({core78, unit01, "[08:10:00] Completed 1 out of 100 steps  (1%)",
                "[08:20:00] Completed 0 out of 100 steps  (0%)"}),
         "core 78; frames 100; start 2026-03-04 08:00:00; from 2026-03-04 08:10:00; end 2026-03-04 "
         "08:20:00; steps 0/600@08:20:00; lines 4\n"},
        {"the clock passes midnight; a start more than a day ahead goes a year back",
         Lines({"[23:59:00] Core required: FahCore_78.exe",
                "[23:59:00] Working on Unit 01 [December 31 23:59:00]",
                "[23:59:50] Completed 1 out of 100 steps  (1%)",
                "[00:00:20] Completed 2 out of 100 steps  (2%)"}),
         "core 78; frames 100; start 2026-12-31 23:59:00; end 2027-01-01 00:00:20; steps "
         "1/50@23:59:50 2/30@00:00:20; lines 4\n",
         At(2027, 1, 5, 12, 0, 0)},
        {"steps before any date lie on day zero",
         Lines({core78, "[08:10:00] Completed 1 out of 100 steps  (1%)",
                "[08:20:00] Completed 2 out of 100 steps  (2%)"}),
         "core 78; frames 100; end 1899-12-30 08:20:00; steps 1/0@08:10:00 2/600@08:20:00; lines "
         "3\n"},
        {"the filter ignores case, the patterns do not",
         Lines({core78, "[08:00:00] working on unit 01 [March 4 08:00:00]",
                "[08:00:01] This line is dropped"}),
         "core 78; frames 100; lines 2\n"},
        {"donor and protein lines",
         Lines({"[08:00:00] - User name: Some One (Team 32)", "[08:00:00] - User ID: 1A2B3C4D",
                "[08:00:00] - Machine ID: 7", "[08:00:05] Core required: FahCore_78.exe",
                "[08:00:06] Protein: p2665_Rbc in water", "[08:00:07] - Run: 4 (Clone 5, Gen 6)",
                "[08:00:08] WF converged, jumping to MD"}),
         "prcg 2665 4 5 6; protein p2665_Rbc in water; core 78; frames 100; donor Some One 32 "
         "1A2B3C4D 7; lines 7\n"},
        {"a SIGTERM gives an undated step the clock's time",
         Lines({core78, unit01, "[99:99:99] Completed 1 out of 100 steps  (1%)",
                "[08:05:00] ***** Got a SIGTERM signal (2)"}),
         "core 78; frames 100; start 2026-03-04 08:00:00; from 1899-12-30 00:00:00; end 2026-03-04 "
         "08:05:00; steps 1/0@08:05:00; lines 4\n"},
        {"core from a frame line: Tinker",
         Lines({"[08:00:00] Core required: FahCore_", "[08:00:01] Finished a frame (3)"}),
         "core 65; end 1899-12-30 08:00:01; steps 3/0@08:00:01; lines 2\n"},
        {"core from a progress line: the placeholder",
         Lines({"[08:00:00] Core required: x", "[08:00:01] Completed 1 out of 5 steps (20%)"}),
         "core 3E7; frames 100; end 1899-12-30 08:00:01; steps 20/0@08:00:01; lines 2\n"},
        {"core from a system line: QMD",
         Lines({"[08:00:00] Core required: x", "[08:00:01] Project: 1 (Run 2, Clone 3, Gen 4)",
                "[08:00:02] System: p1_x"}),
         "prcg 1 2 3 4; protein p1_x; core 96; frames 100; lines 3\n"},
        {"core from frames completed: Tinker with its count",
         Lines({"[08:00:00] Core required: x", "[08:00:01] - Frames Completed: 12, Remaining: 88"}),
         "core 65; frames 100; lines 2\n"},
        {"lower-case hex core", Lines({"[08:00:00] Core required: FahCore_7a.exe"}),
         "core 7A; frames 100; lines 1\n"},
        {"a queue slot line dates the unit and its steps past midnight",
         Lines({"[23:59:00] Core required: FahCore_a2.exe",
                "[23:59:00] Working on queue slot 06 [March 4 23:59:00 UTC]",
                "[23:59:30] Completed 0 out of 250000 steps  (0%)",
                "[00:09:30] Completed 2500 out of 250000 steps  (1%)"}),
         "core A2; frames 100; start 2026-03-04 23:59:00; end 2026-03-05 00:09:30; steps "
         "0/30@23:59:30 1/600@00:09:30; lines 4\n"},
        {"queue slot without the zone",
         Lines({core11, "[08:00:00] Working on queue slot 01 [March 4 08:00:00]",
                "[08:01:00] Completed 1%"}),
         "core 11; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:00; steps "
         "1/60@08:01:00; lines 3\n"},
        {"unit with the zone",
         Lines({core11, "[08:00:00] Working on Unit 01 [March 4 08:00:00 UTC]",
                "[08:01:00] Completed 1%"}),
         "core 11; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:00; steps "
         "1/60@08:01:00; lines 3\n"},
        {"opening the log again dates the restarted unit and starts no work",
         Lines({"[22:00:00] Core required: FahCore_11.exe",
                "[22:00:00] Working on queue slot 01 [March 4 22:00:00 UTC]",
                "[22:00:10] Completed 1%", "--- Opening Log file [March 6 09:00:00 UTC] ",
                "[09:00:20] Completed 2%"}),
         "core 11; frames 100; start 2026-03-04 22:00:00; end 2026-03-06 09:00:20; steps "
         "1/10@22:00:10 2/20@09:00:20; lines 5\n"},
        {"GPU2 percent",
         Lines({core15, slot01, "[08:00:10] Completed 2%", "[08:01:10] Completed 3%"}),
         "core 15; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:10; steps "
         "2/10@08:00:10 3/60@08:01:10; lines 4\n"},
        {"GPU3 spaced, final point",
         Lines({core15, slot01, "[08:00:10] Completed  5000 out of 250000 steps (2%).",
                "[08:01:10] Completed   7500 out of 250000 steps (3%)."}),
         "core 15; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:10; steps "
         "2/10@08:00:10 3/60@08:01:10; lines 4\n"},
        {"percent spelled out",
         Lines({core15, slot01, "[08:00:10] Completed 5000 out of 500000 steps  (1 percent)",
                "[08:01:10] Completed 10000 out of 500000 steps  (2 percent)"}),
         "core 15; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:10; steps "
         "1/10@08:00:10 2/60@08:01:10; lines 4\n"},
        {"ProtoMol, one space",
         Lines({core15, slot01, "[08:00:10] Completed 5000 out of 500000 steps (1%)",
                "[08:01:10] Completed 10000 out of 500000 steps (100%)"}),
         "core 15; frames 100; start 2026-03-04 08:00:00; end 2026-03-04 08:01:10; steps "
         "1/10@08:00:10 100/60@08:01:10; lines 4\n"},
        {"the unit's own project line wins over the upload lines around it",
         Lines({"[01:57:21] Core required: FahCore_11.exe",
                "[01:57:21] Project: 5767 (Run 1, Clone 31, Gen 1963)",
                "[01:57:21] Working on queue slot 00 [January 31 01:57:21 UTC]",
                "[01:57:21] Project: 5781 (Run 2, Clone 700, Gen 2)", "[01:58:47] Completed 1%",
                "[07:33:33] Project: 6316 (Run 636, Clone 16, Gen 39)", "[07:34:47] Completed 2%"}),
         "prcg 5781 2 700 2; core 11; frames 100; start 2026-01-31 01:57:21; end 2026-01-31 "
         "07:34:47; steps 1/86@01:58:47 2/20160@07:34:47; lines 7\n"},
        {"a warning glued before Core required still names the core",
         Lines({"[08:00:00] At least 4 processors must be requested.Core required: FahCore_a2.exe",
                "[08:00:00] Project: 2671 (Run 1, Clone 2, Gen 3)"}),
         "prcg 2671 1 2 3; core A2; frames 100; lines 2\n"},
        {"no dated line: no date is invented",
         Lines({"[08:00:00] Core required: FahCore_11.exe", "[08:00:10] Completed 5%",
                "[08:01:10] Completed 6%"}),
         "core 11; frames 100; end 1899-12-30 08:01:10; steps 5/0@08:00:10 6/60@08:01:10; lines "
         "3\n"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.now != 0)
            clock.Value = row.now;
        TWUs read;
        read.ReadLog(row.log, "", clock);
        EXPECT_EQ(Digest(read), row.units);
        clock.Value = test::TFakeClock().Value;
    }
}

TEST_F(ReadLogTest, ValuesThatCannotBeConvertedAreLeftAndReadingGoesOn)
{
    const char* lines[] = {
        "[08:00:01] Working on Unit 01 [Mars 4 08:00:01]",         // unknown month
        "[08:00:01] Working on Unit 01 [February 30 08:00:01]",    // a day the month lacks
        "[08:00:01] Working on Unit 01 [March 4 25:00:01]",        // an hour out of range
        "[08:00:01] Core required: FahCore_zz.exe",                // not hexadecimal
        "[08:00:01] Project: 99999999999 (Run 1, Clone 2, Gen 3)", // digits too long
        "[08:00:01] Protein: p_villin",                            // no digits
        "[08:00:01] - Frames Completed: 2147483647, Remaining: 1", // frames that do not fit
        "[08:00:01] - User name: x (Team 99999999999)",            // team too long
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        TWUs one;
        const auto stats =
            one.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                               "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                               "[08:00:00] Completed 0 out of 100 steps  (0%)", line,
                               "[08:10:00] Completed 1 out of 100 steps  (1%)",
                               "[08:10:01] Folding@home Core Shutdown: FINISHED_UNIT"}),
                        "", clock);
        EXPECT_EQ(stats.UnconvertedLines, 1);
        ASSERT_EQ(one.Count(), 1);
        const TWU& wu = *one.Items(0);
        EXPECT_EQ(wu.Core, 0x78);
        EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 8, 0, 0));
        EXPECT_EQ(wu.FramesExpected, 100);
        EXPECT_EQ(wu.Team, 0);
        EXPECT_EQ(wu.Steps.Count(), 2);
        EXPECT_EQ(wu.Steps.Items(1)->Duration, 600); // the clock did not move
        EXPECT_FALSE(wu.ShutdownLine.empty());
    }
    // The undated start line still marks the restart; other numbers of a line are still read.
    wus.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                       "[08:00:00] Completed 0 out of 100 steps  (0%)",
                       "[08:00:01] Working on Unit 01 [Mars 4 08:00:01]",
                       "[08:00:01] Project: 99999999999 (Run 1, Clone 2, Gen 3)"}),
                "", clock);
    EXPECT_EQ(Digest(Only()), "prcg -1 1 2 3; core 78; frames 100; end 1899-12-30 08:00:00; steps "
                              "0/0@08:00:00R; lines 4");
}

TEST_F(ReadLogTest, OnlyAWholeTimeOfDayCountsAsATimeStamp)
{
    for (const char* stamp : {"[24:61:99]", "xx [08:10:00]", "[08:10] [08:10:00]"}) {
        SCOPED_TRACE(stamp);
        TWUs one;
        one.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                           "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                           std::string(stamp) + " Completed 1 out of 100 steps  (1%)"}),
                    "", clock);
        EXPECT_EQ(Digest(one), "core 78; frames 100; start 2026-03-04 08:00:00; from 1899-12-30 "
                               "00:00:00; clock 2026-03-04 08:00:00; steps 1/0; lines 3\n");
    }
}

TEST_F(ReadLogTest, LinesEndAtCrLfLoneCrAndLoneLf)
{
    const std::string log = "[08:00:00] Core required: FahCore_78.exe\r"
                            "[08:00:00] Working on Unit 01 [March 4 08:00:00]\n"
                            "[08:10:00] Completed 1 out of 100 steps  (1%)\r\n"
                            "\r\n\n\r"
                            "[08:20:00] Completed 2 out of 100 steps  (2%)";
    wus.ReadLog(log, "", clock);
    EXPECT_EQ(Only().Text, Lines({"[08:00:00] Core required: FahCore_78.exe",
                                  "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                                  "[08:10:00] Completed 1 out of 100 steps  (1%)",
                                  "[08:20:00] Completed 2 out of 100 steps  (2%)"}));
    EXPECT_EQ(Only().Steps.Count(), 2);
}

TEST_F(ReadLogTest, AnyBytesAreReadWithoutHarm)
{
    std::string log = Lines({"[08:00:00] Core required: FahCore_78.exe"});
    log += std::string("[08:10:00] Completed 1 out of 100 steps \0\xFF (1%)\r\n", 47);
    log += "[08:10:00] Protein: \x80\x81\xFE\r\n";
    log += "x\r\ny\r\n\r\n";
    log += std::string(10 << 20, '[') + " steps \r\n";                  // a 10 MB line
    log += "Working on Unit 01 [" + std::string(1 << 20, '[') + "\r\n"; // nothing to close it
    log += std::string("\0\0\0 steps \0", 11);
    wus.ReadLog(log, "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(wu.Protein, "\x80\x81\xFE");
    EXPECT_NE(wu.Text.find(std::string("\0\xFF", 2)), std::string::npos);
    EXPECT_TRUE(wu.Text.ends_with(std::string("\0\0\0 steps \0\r\n", 13)));
}

TEST_F(ReadLogTest, TheStoredTextOfASixClientsUnitReadsBackToTheSameUnit)
{
    wus.ReadLog(
        Lines({"[08:00:00] Core required: FahCore_11.exe",
               "[08:00:00] Working on queue slot 01 [March 4 08:00:00 UTC]",
               "[08:00:01] Project: 10101 (Run 928, Clone 3, Gen 20)", "[08:00:10] Completed 1%",
               "[08:00:11] Project: 5767 (Run 1, Clone 31, Gen 1963)",
               "--- Opening Log file [March 5 09:00:00 UTC] ", "[09:00:20] Completed 2%",
               "[09:00:30] Folding@home Core Shutdown: FINISHED_UNIT"}),
        "/fah/FAHlog.txt", clock);
    TWUs history;
    history.ReadLog(wus.AllText(), "", clock);
    ASSERT_EQ(history.Count(), 1);
    EXPECT_EQ(history.Items(0)->Text, Only().Text);
    EXPECT_EQ(Digest(*history.Items(0)), Digest(Only()));
    EXPECT_EQ(Only().Project, 10101);
}

} // namespace
} // namespace korvid
