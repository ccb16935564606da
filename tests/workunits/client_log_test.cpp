#include "workunits/client_log.h"

#include <gtest/gtest.h>

#include "log_generator.h"
#include "log_text.h"
#include "testing/fakes.h"
#include "util/date_time.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using workunits::TWU;
using workunits::TWUs;

// A time read before any banner has no day: it stays on day 0, shown as such.
std::string At(double dateTime)
{
    if (dateTime == 0)
        return "-";
    return dateTime < 1 ? "no day " + util::FormatIso(dateTime).substr(11)
                        : util::FormatIso(dateTime);
}

std::unique_ptr<TWUs> Read(std::string_view log, std::string_view path = "/fah/log.txt")
{
    test::TFakeClock clock;
    auto wus = std::make_unique<TWUs>();
    wus->ReadLog(log, path, clock);
    return wus;
}

const std::string Header = "*********************** Log Started 2014-07-25T13:57:36Z "
                           "***********************";

TEST(ClientLog, TwoSlotsInterleavedGiveTwoUnitsWithTheirOwnSteps)
{
    const std::string log = test::Lines({
        Header,
        "13:57:36:WU02:FS01:Starting",
        "13:57:37:WU02:FS01:FahCore 0x17 started",
        "13:57:38:WU02:FS01:0x17:Project: 13001 (Run 416, Clone 1, Gen 32)",
        "13:57:39:WU00:FS00:Received Unit: id:00 state:DOWNLOAD error:NO_ERROR project:8673 "
        "run:21 clone:2 gen:61 core:0xa7 unit:0x0",
        "13:57:40:WU00:FS00:Starting",
        "13:58:00:WU02:FS01:0x17:Completed 0 out of 5000000 steps (0%)",
        "13:58:05:WU00:FS00:0xa7:Completed 0 out of 250000 steps (0%)",
        "14:08:00:WU02:FS01:0x17:Completed 50000 out of 5000000 steps (1%)",
        "14:28:05:WU00:FS00:0xa7:Completed 2500 out of 250000 steps (1%)",
        "14:28:06:WU02:FS01:FahCore returned: FINISHED_UNIT (100 = 0x64)",
        "14:48:05:WU00:FS00:0xa7:Completed 5000 out of 250000 steps (2%)",
    });
    const auto read = Read(log);
    const TWUs& wus = *read;
    EXPECT_EQ(
        test::Digest(wus), // the GPU slot's unit closes first
        "prcg 13001 416 1 32; core 17; frames 100; slot FS01; start 2014-07-25 13:57:36; from "
        "2014-07-25 13:57:38; end 2014-07-25 14:08:00; clock 2014-07-25 14:28:06; steps "
        "0/22@13:58:00 1/600@14:08:00; shut FINISHED_UNIT (100 = 0x64); lines 8\n"
        "prcg 8673 21 2 61; core A7; frames 100; slot FS00; start 2014-07-25 13:57:40; end "
        "2014-07-25 14:48:05; steps 0/25@13:58:05 1/1800@14:28:05 2/1200@14:48:05; lines 8\n");
    // Each text holds the log's own lines only: no line of the other slot.
    EXPECT_EQ(wus.Items(0)->Text.find("FS00"), std::string::npos);
    EXPECT_TRUE(wus.Items(0)->Text.starts_with(Header + "\r\n"));
}

TEST(ClientLog, DamagedAndUnusualLines)
{
    struct TCase {
        const char* Name;
        std::string Log;
        int Units;
        int Steps;          // of the last unit
        const char* Start;  // start date of the last unit
        const char* End;    // end date of the last unit
        bool RestartMarked; // a step of the last unit carries RestartAfter
    };
    const std::string start = "13:00:00:WU01:FS00:Starting";
    const std::string project = "13:00:01:WU01:FS00:0xa7:Project: 1 (Run 2, Clone 3, Gen 4)";
    const TCase cases[] = {
        {"midnight passes without a banner",
         test::Lines({Header, start, project, "23:59:50:WU01:FS00:0xa7:Completed 1 out of 9 (0%)",
                      "23:59:50:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "00:00:20:WU01:FS00:0xa7:Completed 1 out of 100 steps (1%)"}),
         1, 2, "2014-07-25 13:00:01", "2014-07-26 00:00:20", false},
        {"a date banner names the day",
         test::Lines({Header, start, project,
                      "******************************* Date: 2014-07-28 "
                      "*******************************",
                      "10:00:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)"}),
         1, 1, "2014-07-25 13:00:01", "2014-07-28 10:00:00", false},
        {"a client restart with time going back continues the unit",
         test::Lines({Header, start, project,
                      "13:10:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "13:20:00:WU01:FS00:0xa7:Completed 1 out of 100 steps (1%)",
                      "13:21:00:WU01:FS00:FahCore returned: INTERRUPTED (102 = 0x66)",
                      "*********************** Log Started 2014-07-25T12:30:00Z "
                      "***********************",
                      "12:30:05:WU01:FS00:Starting",
                      "12:40:00:WU01:FS00:0xa7:Completed 2 out of 100 steps (2%)"}),
         1, 3, "2014-07-25 13:00:01", "2014-07-25 12:40:00", true},
        {"a WU id repeated with another project is another unit",
         test::Lines({Header, start, project,
                      "13:10:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "14:00:00:WU01:FS00:0xa7:Project: 9 (Run 2, Clone 3, Gen 4)",
                      "14:10:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)"}),
         2, 1, "2014-07-25 14:00:00", "2014-07-25 14:10:00", false},
        {"cut lines and foreign prefixes are left alone",
         test::Lines({Header, start, project, "13:10:00:WU01:FS00:0xa7:Completed 0 out of 10",
                      "13:10:0", "13:11:00:WU01:FS0", "13:12:00:OUT17:Completed 5%",
                      "13:13:00:WU01:FS00:0xa7:Completed 1 out of 100 steps (1%)"}),
         1, 1, "2014-07-25 13:00:01", "2014-07-25 13:13:00", false},
        {"lines of two slots run together lend neither a frame",
         test::Lines({Header, start, project,
                      "13:10:00:WU01:FS00:0xa7:Completed 1 out of 100 st13:10:01:WU02:FS01:0x17:"
                      "Completed 0 out of 100 steps (0%)",
                      "13:20:00:WU01:FS00:0xa7:Completed 2 out of 100 steps (2%)"}),
         1, 1, "2014-07-25 13:00:01", "2014-07-25 13:20:00", false},
        {"a slot that never finishes stays apart from the units beside it",
         test::Lines({Header, start, project,
                      "13:10:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "13:11:00:WU02:FS01:0x17:Project: 5 (Run 0, Clone 0, Gen 0)",
                      "13:12:00:WU02:FS01:0x17:Completed 0 out of 100 steps (0%)",
                      "13:13:00:WU02:FS01:FahCore returned: FINISHED_UNIT (100 = 0x64)",
                      "13:14:00:WU02:FS01:0x17:Project: 6 (Run 0, Clone 0, Gen 0)",
                      "13:15:00:WU02:FS01:FahCore returned: BAD_WORK_UNIT (114 = 0x72)",
                      "13:20:00:WU01:FS00:0xa7:Completed 1 out of 100 steps (1%)"}),
         3, 2, "2014-07-25 13:00:01", "2014-07-25 13:20:00", false},
        {"no banner: times of day, no day invented",
         test::Lines({start, project, "13:10:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "13:20:00:WU01:FS00:0xa7:Completed 1 out of 100 steps (1%)"}),
         1, 2, "no day 13:00:01", "no day 13:20:00", false},
        {"early v7: no slot, the unit in the text",
         test::Lines({"*********************** Log Started 19/May/2011-18:05:03 "
                      "***********************",
                      "18:06:54:Starting Unit 01", "18:06:54:FahCore 0xa3 started",
                      "18:07:04:Unit 01:Project: 7136 (Run 0, Clone 39, Gen 103)",
                      "18:07:12:Unit 01:Completed 472551 out of 500000 steps  (94%)",
                      "18:10:00:Unit 01:Completed 475000 out of 500000 steps  (95%)",
                      "18:39:17:FahCore, running Unit 01, returned: FINISHED_UNIT (100)"}),
         1, 2, "2011-05-19 18:07:04", "2011-05-19 18:10:00", false},
        {"v8: levels, an empty group, a thread name, a dated stamp",
         test::Lines({"2022-12-27:11:48:30:I1::WU1:Project: 5 (Run 6, Clone 7, Gen 8)",
                      "2022-12-27:11:48:31:I1::WU1:Completed 0 out of 10 steps (0%)",
                      "2022-12-27:11:58:31:I1:TailFileToLog:WU1:Completed 1 out of 10 steps (10%)",
                      "2022-12-27:11:58:32:W :WU1:Core returned FINISHED_UNIT (100)"}),
         1, 2, "2022-12-27 11:48:30", "2022-12-27 11:58:31", false},
        {"a coloured warning closes its unit",
         test::Lines({Header, start, project,
                      "\\x1b[93m13:05:00:WARNING:WU01:FS00:FahCore returned: BAD_WORK_UNIT (114 = "
                      "0x72)\\x1b[0m",
                      "13:06:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)"}),
         2, 1, "-", "2014-07-25 13:06:00", false}, // nothing before its first step
        {"a banner inside a unit that stays open, after a unit no banner dates",
         test::Lines({"13:00:00:WU01:FS00:Starting", "13:00:05:WU02:FS01:Starting", Header,
                      "13:58:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)"}),
         2, 0, "no day 13:00:05", "no day 13:00:05", false},
        {"a banner and line inside a unit that stays open date the next unit too",
         test::Lines({"13:00:00:WU01:FS00:Starting", Header,
                      "13:58:00:WU01:FS00:0xa7:Completed 0 out of 100 steps (0%)",
                      "13:59:00:WU02:FS01:Starting"}),
         2, 0, "2014-07-25 13:59:00", "2014-07-25 13:59:00", false},
        {"the same, the unit knowing its project",
         test::Lines({project, "13:00:05:WU02:FS01:Starting", Header,
                      "13:58:00:WU01:FS00:0xa7:Project: 1 (Run 2, Clone 3, Gen 4)"}),
         2, 0, "no day 13:00:05", "no day 13:00:05", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto read = Read(c.Log);
        const TWUs& wus = *read;
        ASSERT_EQ(wus.Count(), c.Units);
        const TWU& last = *wus.Items(wus.Count() - 1);
        EXPECT_EQ(last.Steps.Count(), c.Steps);
        EXPECT_EQ(At(last.StartDate()), c.Start);
        EXPECT_EQ(At(last.EndDate()), c.End);
        bool marked = false;
        for (const auto& step : last.Steps)
            marked = marked || step.RestartAfter;
        EXPECT_EQ(marked, c.RestartMarked);
    }
}

TEST(ClientLog, TheDialectComesFromTheContent)
{
    using workunits::DetectDialect;
    using workunits::TLogDialect;
    EXPECT_EQ(DetectDialect("--- Opening Log file\r\n[08:00:00] - User name: a (Team 1)\r\n"),
              TLogDialect::Classic);
    EXPECT_EQ(DetectDialect(Header + "\n13:57:36:Trying to access database...\n"),
              TLogDialect::Client);
    EXPECT_EQ(DetectDialect("junk\n05:31:07:I1:WU44:Core returned FINISHED_UNIT (100)\n"),
              TLogDialect::Client);
    EXPECT_EQ(DetectDialect(""), TLogDialect::Classic);
}

TEST(ClientLog, GeneratedLogsOfInterleavedSlotsGiveEachUnitWhole)
{
    struct TCase {
        loggen::TDialect Dialect;
        int Slots;
    };
    for (const TCase c : {TCase{loggen::TDialect::V7, 2}, TCase{loggen::TDialect::V7, 4},
                          TCase{loggen::TDialect::V8, 3}}) {
        SCOPED_TRACE(std::to_string(c.Slots) + " slots, v" +
                     (c.Dialect == loggen::TDialect::V7 ? "7" : "8"));
        loggen::TLogOptions options;
        options.Dialect = c.Dialect;
        options.Slots = c.Slots;
        options.Units = 60;
        options.Seed = static_cast<std::uint64_t>(c.Slots);
        const auto wus = Read(loggen::GenerateLog(options));
        ASSERT_EQ(wus->Count(), options.Units);
        int restarts = 0;
        for (std::ptrdiff_t i = 0; i < wus->Count(); ++i) {
            SCOPED_TRACE("unit " + std::to_string(i));
            const TWU& wu = *wus->Items(i);
            EXPECT_NE(wu.CoreName(), "?");
            EXPECT_GE(wu.Gen, 0);
            // Each percent once, none lent by another slot, every one dated.
            for (std::ptrdiff_t k = 0; k < wu.Steps.Count(); ++k) {
                const auto& step = *wu.Steps.Items(k);
                ASSERT_EQ(step.Frame, k);
                EXPECT_GT(step.Date, 1);
                EXPECT_TRUE(k == 0 || step.Duration > 0);
                restarts += step.RestartAfter;
            }
            const bool finished = wu.ShutdownLine.find("FINISHED_UNIT") != std::string::npos;
            const bool bad = wu.ShutdownLine.find("BAD_WORK_UNIT") != std::string::npos;
            if (finished || bad) {
                EXPECT_EQ(wu.Steps.Count(), finished ? 101 : 4);
            }
        }
        EXPECT_GT(restarts, 0);
    }
}

// Reading a large log while giving its pages back must leave every unit as reading it whole does:
// a page given back too early reads as zeros.
TEST(ClientLog, ALargeLogReadWhileFreedGivesTheSameUnits)
{
    struct TCase {
        const char* Name;
        loggen::TDialect Dialect;
        bool Pinned; // a unit open from the first line to the last
    };
    for (const TCase c :
         {TCase{"v6", loggen::TDialect::V6, false}, TCase{"v7", loggen::TDialect::V7, false},
          TCase{"v7, one unit open throughout", loggen::TDialect::V7, true},
          TCase{"v8", loggen::TDialect::V8, false}}) {
        SCOPED_TRACE(c.Name);
        loggen::TLogOptions options;
        options.Dialect = c.Dialect;
        options.Units = loggen::UnitsForBytes(std::size_t{12} << 20, options);
        std::string log = loggen::GenerateLog(options);
        if (c.Pinned) {
            const std::size_t second = log.find('\n') + 1;
            log.insert(second, "00:00:01:WU09:FS09:Starting\n");
            log += "23:59:59:WU09:FS09:FahCore returned: FINISHED_UNIT (100 = 0x64)\n";
        }
        const auto whole = Read(log);
        test::TFakeClock clock;
        TWUs freed;
        std::string moved = log;
        freed.ReadLogFreeing(std::move(moved), "/fah/log.txt", clock);
        ASSERT_EQ(freed.Count(), whole->Count());
        for (std::ptrdiff_t i = 0; i < whole->Count(); ++i) {
            SCOPED_TRACE("unit " + std::to_string(i));
            EXPECT_EQ(freed.Items(i)->Text, whole->Items(i)->Text);
            EXPECT_EQ(freed.Items(i)->Steps, whole->Items(i)->Steps);
        }
        if (c.Pinned) {
            EXPECT_NE(freed.Items(freed.Count() - 1)->Slot, "");
        }
    }
}

} // namespace
} // namespace korvid
