// Lines of the 6.x clients: queue-slot and log-opening dates, GPU progress, the unit's own
// project among upload lines.
#include <tuple>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/log_text.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using test::At;
using test::Lines;
using workunits::TWU;
using workunits::TWUs;

class ReadV6LogTest : public ::testing::Test {
protected:
    test::TFakeClock clock; // 2026-12-06 12:00

    TWU Read(const std::string& log)
    {
        TWUs wus;
        wus.ReadLog(log, "", clock);
        EXPECT_EQ(wus.Count(), 1);
        return wus.Count() == 1 ? *wus.Items(0) : TWU{};
    }
};

TEST_F(ReadV6LogTest, QueueSlotLineDatesTheUnitAndItsSteps)
{
    const TWU wu = Read(Lines({
        "[23:59:00] Core required: FahCore_a2.exe",
        "[23:59:00] Working on queue slot 06 [March 4 23:59:00 UTC]",
        "[23:59:30] Completed 0 out of 250000 steps  (0%)",
        "[00:09:30] Completed 2500 out of 250000 steps  (1%)",
    }));
    EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 23, 59, 0));
    ASSERT_EQ(wu.Steps.Count(), 2);
    EXPECT_EQ(wu.Steps.Items(0)->Duration, 30);
    EXPECT_EQ(wu.Steps.Items(1)->Date, At(2026, 3, 5, 0, 9, 30)); // past midnight
    EXPECT_EQ(wu.Steps.Items(1)->Duration, 600);
}

TEST_F(ReadV6LogTest, DatesWithAndWithoutTheZoneReadAlike)
{
    const struct {
        const char* name;
        const char* line;
    } rows[] = {
        {"queue slot, UTC", "[08:00:00] Working on queue slot 01 [March 4 08:00:00 UTC]"},
        {"queue slot, no zone", "[08:00:00] Working on queue slot 01 [March 4 08:00:00]"},
        {"unit, UTC", "[08:00:00] Working on Unit 01 [March 4 08:00:00 UTC]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TWU wu = Read(Lines(
            {"[08:00:00] Core required: FahCore_11.exe", row.line, "[08:01:00] Completed 1%"}));
        EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 8, 0, 0));
        ASSERT_EQ(wu.Steps.Count(), 1);
        EXPECT_EQ(wu.Steps.Items(0)->Duration, 60);
    }
}

TEST_F(ReadV6LogTest, OpeningTheLogAgainGivesTheRestartedUnitItsDate)
{
    // The client died in its first night: its INTERRUPTED line is dropped, the unit goes on.
    const TWU wu = Read(Lines({
        "[22:00:00] Core required: FahCore_11.exe",
        "[22:00:00] Working on queue slot 01 [March 4 22:00:00 UTC]",
        "[22:00:10] Completed 1%",
        "--- Opening Log file [March 6 09:00:00 UTC] ",
        "[09:00:20] Completed 2%",
    }));
    ASSERT_EQ(wu.Steps.Count(), 2);
    EXPECT_EQ(wu.Steps.Items(1)->Date, At(2026, 3, 6, 9, 0, 20));
    EXPECT_EQ(wu.Steps.Items(1)->Duration, 20);
    EXPECT_EQ(wu.StartTime, At(2026, 3, 4, 22, 0, 0)); // the opening starts no work
}

TEST_F(ReadV6LogTest, GpuProgressFormsGiveFramesAndDurations)
{
    const struct {
        const char* name;
        const char* first;
        const char* second;
        int frame;
    } rows[] = {
        {"GPU2 percent", "[08:00:10] Completed 2%", "[08:01:10] Completed 3%", 3},
        {"GPU3 spaced, final point", "[08:00:10] Completed  5000 out of 250000 steps (2%).",
         "[08:01:10] Completed   7500 out of 250000 steps (3%).", 3},
        {"percent spelled out", "[08:00:10] Completed 5000 out of 500000 steps  (1 percent)",
         "[08:01:10] Completed 10000 out of 500000 steps  (2 percent)", 2},
        {"ProtoMol, one space", "[08:00:10] Completed 5000 out of 500000 steps (1%)",
         "[08:01:10] Completed 10000 out of 500000 steps (100%)", 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TWU wu = Read(Lines({"[08:00:00] Core required: FahCore_15.exe",
                                   "[08:00:00] Working on queue slot 01 [March 4 08:00:00 UTC]",
                                   row.first, row.second}));
        ASSERT_EQ(wu.Steps.Count(), 2);
        EXPECT_EQ(wu.Steps.Items(1)->Frame, row.frame);
        EXPECT_EQ(wu.Steps.Items(0)->Duration, 10);
        EXPECT_EQ(wu.Steps.Items(1)->Duration, 60);
    }
}

TEST_F(ReadV6LogTest, TheUnitsOwnProjectLineWinsOverUploadLines)
{
    const TWU wu = Read(Lines({
        "[01:57:21] Core required: FahCore_11.exe",
        // Autosend of the previous unit, before the core starts.
        "[01:57:21] Project: 5767 (Run 1, Clone 31, Gen 1963)",
        "[01:57:21] Working on queue slot 00 [January 31 01:57:21 UTC]",
        "[01:57:21] Project: 5781 (Run 2, Clone 700, Gen 2)",
        "[01:58:47] Completed 1%",
        // A retried upload while the unit runs.
        "[07:33:33] Project: 6316 (Run 636, Clone 16, Gen 39)",
        "[07:34:47] Completed 2%",
    }));
    EXPECT_EQ(std::tie(wu.Project, wu.Run, wu.Clone, wu.Gen), std::make_tuple(5781, 2, 700, 2));
    EXPECT_EQ(wu.Steps.Count(), 2);
}

TEST_F(ReadV6LogTest, AWarningGluedBeforeCoreRequiredStillNamesTheCore)
{
    const TWU wu = Read(Lines({
        "[08:00:00] At least 4 processors must be requested.Core required: FahCore_a2.exe",
        "[08:00:00] Project: 2671 (Run 1, Clone 2, Gen 3)",
    }));
    EXPECT_EQ(wu.Core, 0xA2);
    EXPECT_EQ(wu.CoreName(), "Gromacs SMP2");
}

TEST_F(ReadV6LogTest, WithoutADatedLineNoDateIsInvented)
{
    // A log cut before the unit's start: the times stay on day 0, which shows as no date.
    const TWU wu = Read(Lines({
        "[08:00:00] Core required: FahCore_11.exe",
        "[08:00:10] Completed 5%",
        "[08:01:10] Completed 6%",
    }));
    EXPECT_EQ(wu.StartTime, 0);
    EXPECT_LT(wu.LastTime, 1);
    EXPECT_EQ(wu.Steps.Items(1)->Duration, 60);
}

TEST_F(ReadV6LogTest, TheStoredTextReadsBackToTheSameUnit)
{
    TWUs log;
    log.ReadLog(Lines({
                    "[08:00:00] Core required: FahCore_11.exe",
                    "[08:00:00] Working on queue slot 01 [March 4 08:00:00 UTC]",
                    "[08:00:01] Project: 10101 (Run 928, Clone 3, Gen 20)",
                    "[08:00:10] Completed 1%",
                    "[08:00:11] Project: 5767 (Run 1, Clone 31, Gen 1963)",
                    "--- Opening Log file [March 5 09:00:00 UTC] ",
                    "[09:00:20] Completed 2%",
                    "[09:00:30] Folding@home Core Shutdown: FINISHED_UNIT",
                }),
                "/fah/FAHlog.txt", clock);
    ASSERT_EQ(log.Count(), 1);
    TWUs history;
    history.ReadLog(log.AllText(), "", clock);
    ASSERT_EQ(history.Count(), 1);
    const TWU& a = *log.Items(0);
    const TWU& b = *history.Items(0);
    EXPECT_EQ(b.Text, a.Text);
    EXPECT_EQ(b.Project, 10101);
    EXPECT_EQ(b.Steps, a.Steps);
    EXPECT_EQ(b.StartTime, a.StartTime);
    EXPECT_EQ(b.LastTime, a.LastTime);
}

} // namespace
} // namespace korvid
