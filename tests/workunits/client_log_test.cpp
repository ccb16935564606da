#include "workunits/client_log.h"

#include <tuple>

#include <gtest/gtest.h>

#include "log_generator.h"
#include "testing/fakes.h"
#include "workunits/log_text.h"
#include "workunits/wus.h"

namespace korvid {
namespace {

using workunits::TWU;
using workunits::TWUs;

std::unique_ptr<TWUs> Read(std::string_view log, std::string_view path = "/fah/log.txt")
{
    test::TFakeClock clock;
    auto wus = std::make_unique<TWUs>();
    wus->ReadLog(log, path, clock);
    return wus;
}

const std::string Header = "*********************** Log Started 2014-07-25T13:57:36Z "
                           "***********************";

TEST(ClientLog, TheDialectComesFromTheContent)
{
    using workunits::DetectDialect;
    using workunits::TLogDialect;
    const std::pair<std::string, TLogDialect> rows[] = {
        {"--- Opening Log file\r\n[08:00:00] - User name: a (Team 1)\r\n", TLogDialect::Classic},
        {Header + "\n13:57:36:Trying to access database...\n", TLogDialect::Client},
        {"junk\n05:31:07:I1:WU44:Core returned FINISHED_UNIT (100)\n", TLogDialect::Client},
        {"", TLogDialect::Classic}};
    for (const auto& [log, dialect] : rows)
        EXPECT_EQ(DetectDialect(log), dialect) << log;
}

TEST(ClientLog, GeneratedLogsOfInterleavedSlotsGiveEachUnitWhole)
{
    using loggen::TDialect;
    for (const auto& [dialect, slots] :
         {std::pair{TDialect::V7, 2}, {TDialect::V7, 4}, {TDialect::V8, 3}}) {
        SCOPED_TRACE(std::to_string(slots) + " slots, v" + (dialect == TDialect::V7 ? "7" : "8"));
        loggen::TLogOptions options;
        options.Dialect = dialect;
        options.Slots = slots;
        options.Units = 60;
        options.Seed = static_cast<std::uint64_t>(slots);
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
    using loggen::TDialect;
    // Pinned: a unit open from the first line to the last.
    for (const auto& [name, dialect, pinned] :
         {std::tuple{"v6", TDialect::V6, false},
          {"v7", TDialect::V7, false},
          {"v7, one unit open throughout", TDialect::V7, true},
          {"v8", TDialect::V8, false}}) {
        SCOPED_TRACE(name);
        loggen::TLogOptions options;
        options.Dialect = dialect;
        options.Units = loggen::UnitsForBytes(std::size_t{12} << 20, options);
        std::string log = loggen::GenerateLog(options);
        if (pinned) {
            const std::size_t second = log.find('\n') + 1;
            log.insert(second, "00:00:01:WU09:FS09:Starting\n");
            log += "23:59:59:WU09:FS09:FahCore returned: FINISHED_UNIT (100 = 0x64)\n";
        }
        const auto whole = Read(log);
        test::TFakeClock clock;
        TWUs freed;
        std::string moved = log;
        freed.ReadLogFreeing(std::move(moved), "/fah/log.txt", clock);
        test::ExpectSameUnits(*whole, freed);
        if (pinned) {
            EXPECT_NE(freed.Items(freed.Count() - 1)->Slot, "");
        }
    }
}

} // namespace
} // namespace korvid
