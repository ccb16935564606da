#include "workunits/wus.h"

#include <tuple>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/log_text.h"

namespace korvid {

using test::At;
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
    EXPECT_EQ(std::tie(wu.UserName, wu.Team, wu.MachineID, wu.LogPath),
              std::make_tuple("donor", 12, 1, "C:\\Client\\FAHlog.txt"));
    EXPECT_EQ(std::tie(wu.Core, wu.FramesExpected), std::make_tuple(0x78, 100));
    EXPECT_EQ(std::tie(wu.Project, wu.Run, wu.Clone, wu.Gen), std::make_tuple(2665, 1, 2, 3));
    EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 8, 0, 5));
    EXPECT_EQ(wu.ShutdownLine, "[09:00:41] Folding@home Core Shutdown: DONE");
    ASSERT_EQ(wu.Steps.Count(), 3);
    const int durations[] = {5, 1800, 1830};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(wu.Steps.Items(i)->Frame, i);
        EXPECT_EQ(wu.Steps.Items(i)->Duration, durations[i]);
    }
    EXPECT_EQ(wu.ElapsedSeconds(), 3635);
    EXPECT_EQ(wu.CalculationSeconds(), 3630);
    EXPECT_EQ(wu.FoldedFrames(), 2);
    EXPECT_EQ(wu.Benchmark(), (workunits::TBenchmark{2, 1815, 2}));
}

TEST_F(ReadLogTest, InterruptedUnitResumesAfterTheRestart)
{
    const std::string log = Lines({
        "[08:00:05] Core required: FahCore_78.exe",
        "[08:00:05] Working on Unit 01 [March 4 08:00:05]",
        "[08:10:05] Completed 5 out of 500 steps  (1%)",
        "[08:20:05] Completed 10 out of 500 steps  (2%)",
        "[08:20:30] Folding@home Core Shutdown: INTERRUPTED",
        "[09:00:00] Core required: FahCore_78.exe",
        "[09:00:00] Working on Unit 01 [March 4 09:00:00]",
        "[09:10:00] Completed 15 out of 500 steps  (3%)",
        "[09:20:00] Folding@home Core Shutdown: FINISHED_UNIT",
    });
    wus.ReadLog(log, "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(wu.Text.find("INTERRUPTED"), std::string::npos); // dropped by the filter
    ASSERT_EQ(wu.Steps.Count(), 3);
    EXPECT_TRUE(wu.Steps.Items(1)->RestartAfter);
    EXPECT_FALSE(wu.Steps.Items(2)->RestartAfter);
    EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 9, 0, 0));
    EXPECT_EQ(wu.Steps.Items(2)->Duration, 600);
}

TEST_F(ReadLogTest, CoreOutdatedUnitIsDroppedAndTheRetryIsANewUnit)
{
    const std::string log = Lines({
        "[08:00:05] Core required: FahCore_a2.exe",
        "[08:00:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
        "[08:00:07] Folding@home Core Shutdown: CORE_OUTDATED",
        "[08:01:05] Core required: FahCore_a2.exe",
        "[08:01:06] Project: 2665 (Run 1, Clone 2, Gen 3)",
    });
    wus.ReadLog(log, "", clock);
    EXPECT_EQ(Only().Text.find("CORE_OUTDATED"), std::string::npos);
    EXPECT_EQ(Only().Project, 2665);
}

TEST_F(ReadLogTest, WhatLiesOutsideAUnitReachesNone)
{
    EXPECT_EQ(wus.ReadLog(Lines({"[08:00:10] Completed 0 out of 500 steps  (0%)",
                                 "[08:00:11] Folding@home Core Shutdown: FINISHED_UNIT"}),
                          "", clock)
                  .Added,
              0);
    EXPECT_EQ(wus.Count(), 0);
    // A log that begins in the middle of a unit loses its first lines.
    wus.ReadLog(Lines({"[08:00:10] Completed 3 out of 500 steps  (3%)",
                       "[08:00:11] Folding@home Core Shutdown: FINISHED_UNIT",
                       "[08:01:00] Core required: FahCore_78.exe",
                       "[08:02:00] Completed 0 out of 500 steps  (0%)"}),
                "", clock);
    ASSERT_EQ(wus.Count(), 1);
    EXPECT_EQ(Only().Steps.Count(), 1);
    EXPECT_EQ(Only().Steps.Items(0)->Frame, 0);
}

TEST_F(ReadLogTest, SameFrameMergesAndALowerFrameStartsOver)
{
    wus.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                       "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                       "[08:10:00] Completed 1 out of 100 steps  (1%)",
                       "[08:15:00] Completed 2 out of 100 steps  (2%)",
                       "[08:16:00] Completed 2 out of 100 steps  (2%)",
                       "[08:20:00] Completed 3 out of 100 steps  (3%)"}),
                "", clock);
    ASSERT_EQ(Only().Steps.Count(), 3);
    EXPECT_EQ(Only().Steps.Items(1)->Duration, 360);
    EXPECT_EQ(Only().Steps.Items(1)->Date, At(2026, 3, 4, 8, 16, 0));

    TWUs other;
    other.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                         "[08:10:00] Completed 5 out of 100 steps  (5%)",
                         "[08:20:00] Completed 6 out of 100 steps  (6%)",
                         "[08:30:00] Completed 2 out of 100 steps  (2%)"}),
                  "", clock);
    ASSERT_EQ(other.Items(0)->Steps.Count(), 1);
    EXPECT_EQ(other.Items(0)->Steps.Items(0)->Frame, 2);
}

TEST_F(ReadLogTest, ClockPassesMidnightAndTheYearRuleKeepsOldLogsInTheirYear)
{
    clock.Value = At(2027, 1, 5, 12, 0, 0);
    wus.ReadLog(Lines({"[23:59:00] Core required: FahCore_78.exe",
                       "[23:59:00] Working on Unit 01 [December 31 23:59:00]",
                       "[23:59:50] Completed 1 out of 100 steps  (1%)",
                       "[00:00:20] Completed 2 out of 100 steps  (2%)"}),
                "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(wu.StartTime, At(2026, 12, 31, 23, 59, 0)); // more than a day ahead: a year back
    EXPECT_EQ(wu.Steps.Items(1)->Date, At(2027, 1, 1, 0, 0, 20));
    EXPECT_EQ(wu.Steps.Items(1)->Duration, 30);
}

TEST_F(ReadLogTest, StepsBeforeAnyDateLieOnDayZero)
{
    wus.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                       "[08:10:00] Completed 1 out of 100 steps  (1%)",
                       "[08:20:00] Completed 2 out of 100 steps  (2%)"}),
                "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(wu.Steps.Items(0)->Date, At(1899, 12, 30, 8, 10, 0));
    EXPECT_EQ(wu.Steps.Items(0)->Duration, 0);
    EXPECT_EQ(wu.Steps.Items(1)->Duration, 600);
    EXPECT_EQ(wu.StartDate(), 0);
}

TEST_F(ReadLogTest, FilterIgnoresCaseButPatternsDoNot)
{
    wus.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                       "[08:00:00] working on unit 01 [March 4 08:00:00]",
                       "[08:00:01] This line is dropped"}),
                "", clock);
    const TWU& wu = Only();
    EXPECT_NE(wu.Text.find("working on unit"), std::string::npos);
    EXPECT_EQ(wu.Text.find("dropped"), std::string::npos);
    EXPECT_EQ(wu.StartTime, 0);
}

TEST_F(ReadLogTest, InfersTheCoreFromTheLinesItSees)
{
    struct Row {
        const char* name;
        std::string log;
        std::uint16_t core;
        int framesExpected;
    };
    const Row rows[] = {
        {"frame line: Tinker",
         Lines({"[08:00:00] Core required: FahCore_", "[08:00:01] Finished a frame (3)"}), 0x65, 0},
        {"progress line: placeholder",
         Lines({"[08:00:00] Core required: x", "[08:00:01] Completed 1 out of 5 steps (20%)"}), 999,
         100},
        {"system line: QMD",
         Lines({"[08:00:00] Core required: x", "[08:00:01] Project: 1 (Run 2, Clone 3, Gen 4)",
                "[08:00:02] System: p1_x"}),
         0x96, 100},
        {"frames completed: Tinker with its count",
         Lines({"[08:00:00] Core required: x", "[08:00:01] - Frames Completed: 12, Remaining: 88"}),
         0x65, 100},
        {"lower-case hex core", Lines({"[08:00:00] Core required: FahCore_7a.exe"}), 0x7A, 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TWUs one;
        one.ReadLog(row.log, "", clock);
        ASSERT_EQ(one.Count(), 1);
        EXPECT_EQ(one.Items(0)->Core, row.core);
        EXPECT_EQ(one.Items(0)->FramesExpected, row.framesExpected);
    }
}

TEST_F(ReadLogTest, ReadsDonorAndProteinLines)
{
    wus.ReadLog(
        Lines({"[08:00:00] - User name: Some One (Team 32)", "[08:00:00] - User ID: 1A2B3C4D",
               "[08:00:00] - Machine ID: 7", "[08:00:05] Core required: FahCore_78.exe",
               "[08:00:06] Protein: p2665_Rbc in water", "[08:00:07] - Run: 4 (Clone 5, Gen 6)",
               "[08:00:08] WF converged, jumping to MD"}),
        "", clock);
    const TWU& wu = Only();
    EXPECT_EQ(std::tie(wu.UserName, wu.Team, wu.UserID, wu.MachineID),
              std::make_tuple("Some One", 32, "1A2B3C4D", 7));
    EXPECT_EQ(wu.Protein, "p2665_Rbc in water");
    EXPECT_EQ(std::tie(wu.Project, wu.Run, wu.Clone, wu.Gen), std::make_tuple(2665, 4, 5, 6));
}

TEST_F(ReadLogTest, SigtermGivesAnUndatedStepTheClockTime)
{
    wus.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                       "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                       "[99:99:99] Completed 1 out of 100 steps  (1%)",
                       "[08:05:00] ***** Got a SIGTERM signal (2)"}),
                "", clock);
    const auto* step = Only().Steps.Items(0);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->PrevDate, 0); // the step line had no time of its own
    EXPECT_EQ(step->Date, At(2026, 3, 4, 8, 5, 0));
    EXPECT_EQ(Only().LastTime, At(2026, 3, 4, 8, 5, 0));
}

TEST_F(ReadLogTest, ValuesThatCannotBeConvertedAreLeftAndReadingGoesOn)
{
    struct Row {
        const char* name;
        const char* line;
    };
    const Row rows[] = {
        {"unknown month", "[08:00:01] Working on Unit 01 [Mars 4 08:00:01]"},
        {"a day the month lacks", "[08:00:01] Working on Unit 01 [February 30 08:00:01]"},
        {"a time out of range in the date", "[08:00:01] Working on Unit 01 [March 4 25:00:01]"},
        {"non-hexadecimal core", "[08:00:01] Core required: FahCore_zz.exe"},
        {"digits too long", "[08:00:01] Project: 99999999999 (Run 1, Clone 2, Gen 3)"},
        {"protein without digits", "[08:00:01] Protein: p_villin"},
        {"frames that do not fit", "[08:00:01] - Frames Completed: 2147483647, Remaining: 1"},
        {"team too long", "[08:00:01] - User name: x (Team 99999999999)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TWUs one;
        const auto stats =
            one.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                               "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                               "[08:00:00] Completed 0 out of 100 steps  (0%)", row.line,
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
    // The undated start line still marks the restart.
    TWUs restart;
    restart.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                           "[08:00:00] Completed 0 out of 100 steps  (0%)",
                           "[08:00:01] Working on Unit 01 [Mars 4 08:00:01]"}),
                    "", clock);
    EXPECT_TRUE(restart.Items(0)->Steps.Items(0)->RestartAfter);
    // Other numbers of the same line are still read.
    TWUs project;
    project.ReadLog(Lines({"[08:00:00] Core required: x",
                           "[08:00:01] Project: 99999999999 (Run 1, Clone 2, Gen 3)"}),
                    "", clock);
    EXPECT_EQ(project.Items(0)->Project, -1);
    EXPECT_EQ(project.Items(0)->Gen, 3);
}

TEST_F(ReadLogTest, OnlyAWholeTimeOfDayCountsAsATimeStamp)
{
    const char* lines[] = {"[24:61:99] Completed 1 out of 100 steps  (1%)",
                           "xx [08:10:00] Completed 1 out of 100 steps  (1%)",
                           "[08:10] [08:10:00] Completed 1 out of 100 steps  (1%)"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        TWUs one;
        one.ReadLog(Lines({"[08:00:00] Core required: FahCore_78.exe",
                           "[08:00:00] Working on Unit 01 [March 4 08:00:00]", line}),
                    "", clock);
        const auto* step = one.Items(0)->Steps.Items(0);
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(step->Date, 0);
        EXPECT_EQ(step->Duration, 0);
        EXPECT_EQ(one.Items(0)->LastTime, At(2026, 3, 4, 8, 0, 0));
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
    const TWU& wu = Only();
    EXPECT_EQ(wu.Steps.Count(), 2);
    EXPECT_EQ(wu.Text, Lines({"[08:00:00] Core required: FahCore_78.exe",
                              "[08:00:00] Working on Unit 01 [March 4 08:00:00]",
                              "[08:10:00] Completed 1 out of 100 steps  (1%)",
                              "[08:20:00] Completed 2 out of 100 steps  (2%)"}));
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

} // namespace korvid
