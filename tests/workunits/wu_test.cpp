#include "workunits/wu.h"

#include <tuple>

#include <gtest/gtest.h>

#include "workunits/eta.h"
#include "workunits/step.h"

namespace korvid {

using workunits::TWU;
namespace core = workunits::core;

// A unit of the given core whose steps have these frames and durations.
TWU Unit(std::uint16_t coreCode, std::initializer_list<std::pair<int, int>> frames)
{
    TWU wu;
    wu.SetCore(coreCode);
    for (const auto& [frame, duration] : frames) {
        auto& step = wu.Steps.Add();
        step.Frame = frame;
        step.Duration = duration;
    }
    return wu;
}

TEST(TWU, BenchmarkDropsTheFartherOutlierOnePerPass)
{
    struct Row {
        const char* name;
        TWU wu;
        workunits::TBenchmark expected;
    };
    Row rows[] = {
        {"300 s is dropped, 60 61 59 stay",
         Unit(core::Gromacs, {{1, 60}, {2, 61}, {3, 59}, {4, 300}}),
         {3, 60, 3}},
        {"100 and 130 lie within 15 % of 115",
         Unit(core::Gromacs, {{1, 100}, {2, 130}}),
         {2, 115, 2}},
        {"equal deviations on both sides stop the loop",
         Unit(core::Gromacs, {{1, 1800}, {2, 1830}}),
         {2, 1815, 2}},
        {"the leading 0 % step is no frame",
         Unit(core::Gromacs, {{0, 5}, {1, 1800}, {2, 1830}}),
         {2, 1815, 2}},
        {"a short outlier goes too",
         Unit(core::Amber, {{1, 100}, {2, 100}, {3, 100}, {4, 10}}),
         {3, 100, 3}},
        {"every frame 0 s: nothing dropped, average 0",
         Unit(core::Gromacs, {{1, 0}, {2, 0}, {3, 0}}),
         {3, 0, 3}},
        {"a deviation of exactly 15 % is kept (compared in single precision)",
         Unit(core::Gromacs, {{1, 0}, {2, 37}, {3, 37}, {4, 46}}),
         {3, 40, 3}},
        {"no steps", Unit(core::Gromacs, {}), {0, 0, 0}},
        {"Tinker keeps its first step and expects no count of its own",
         Unit(core::Tinker, {{0, 600}, {1, 600}}),
         {2, 600, 0}},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.wu.Benchmark(), row.expected);
    }
}

TEST(TWU, ConvergedMarkDropsTheWaveFunctionPhaseAndOneFrameMore)
{
    TWU wu = Unit(core::QMD,
                  {{0, 1}, {1, 500}, {2, 500}, {3, 500}, {4, 500}, {5, 100}, {6, 100}, {7, 100}});
    wu.Steps.Items(4)->ConvergedAfter = true; // index 3 once the 0 % step is gone
    EXPECT_EQ(wu.Benchmark(), (workunits::TBenchmark{2, 100, static_cast<float>(2.0 / 95 * 100)}));
    EXPECT_EQ(wu.Steps.Count(), 8); // the unit itself is not changed

    TWU first = Unit(core::QMD, {{1, 100}, {2, 100}});
    first.Steps.Items(0)->ConvergedAfter = true; // on the first step: nothing removed
    EXPECT_EQ(first.Benchmark().Kept, 2);
}

// Start, end, elapsed, calculation, folded frames, longest step.
using TTimes = std::tuple<double, double, int, int, int, int>;
TTimes Times(const TWU& wu)
{
    return {wu.StartDate(),          wu.EndDate(),      wu.ElapsedSeconds(),
            wu.CalculationSeconds(), wu.FoldedFrames(), wu.MaxDuration()};
}

TEST(TWU, StartAndEndComeFromTheStepsElseFromTheUnitsClock)
{
    TWU wu;
    wu.StartTime = 100.25;
    wu.EndTime = 100.5;
    EXPECT_EQ(Times(wu), TTimes(100.25, 100.5, 21600, 0, 0, 0));
    EXPECT_EQ(wu.FindStep(0), nullptr);

    TWU stepped = Unit(core::Gromacs, {{0, 5}, {1, 30}, {1, 40}});
    stepped.Steps.Items(0)->PrevDate = 10;
    stepped.Steps.Items(2)->Date = 11;
    EXPECT_EQ(stepped.FindStep(1), stepped.Steps.Items(1)); // the first step of that frame
    // The leading 0 % step is no frame of work, except for Tinker, which logs no such step.
    EXPECT_EQ(Times(stepped), TTimes(10, 11, 86400, 70, 2, 40));
    stepped.SetCore(core::Tinker);
    EXPECT_EQ(Times(stepped), TTimes(10, 11, 86400, 75, 3, 40));
}

TEST(TWU, SetProteinTakesTheProjectNumberOnlyWhileNoneIsKnown)
{
    // Set in turn on one unit; after each: the answer, the protein, the project.
    TWU wu;
    std::string seen;
    for (const char* protein : {"villin", "p_villin", "p2665_Rbc", "P1234_other"}) {
        const bool read = wu.SetProtein(protein);
        seen += std::to_string(read) + " " + wu.Protein + " " + std::to_string(wu.Project) + "; ";
    }
    EXPECT_EQ(seen, "1 villin -1; 0 p_villin -1; 1 p2665_Rbc 2665; 1 P1234_other 2665; ");
}

TEST(TWU, CoreNamesCoverTheLaterClientsAndLeaveTheRestUnknown)
{
    using workunits::TCoreFamily;
    const struct {
        std::uint16_t code;
        const char* name;
        TCoreFamily family;
    } rows[] = {
        {0x78, "Gromacs", TCoreFamily::Classic}, {0x11, "GPU2", TCoreFamily::Gpu},
        {0x15, "GPU3 OpenMM", TCoreFamily::Gpu}, {0x23, "OpenMM 23", TCoreFamily::Gpu},
        {0xA0, "Gromacs 3.3", TCoreFamily::Cpu}, {0xA9, "Gromacs A9", TCoreFamily::Cpu},
        {0xB4, "ProtoMol", TCoreFamily::Cpu},    {0x5F, "?", TCoreFamily::Unknown},
        {999, "?", TCoreFamily::Unknown},        {0, "?", TCoreFamily::Unknown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        TWU wu;
        wu.SetCore(row.code);
        EXPECT_EQ(wu.CoreName(), row.name);
        EXPECT_EQ(workunits::CoreFamily(row.code), row.family);
    }
    // Every code a 6.x log of the corpus or a later client names.
    for (const int code : {0x11, 0x14, 0x15, 0x16, 0x17, 0x18, 0x21, 0x22, 0x23, 0xA0, 0xA1, 0xA2,
                           0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xB4}) {
        TWU wu;
        wu.SetCore(static_cast<std::uint16_t>(code));
        EXPECT_NE(wu.CoreName(), "?") << std::hex << code;
    }
}

using workunits::TSteps;

TSteps WithDurations(std::initializer_list<int> durations)
{
    TSteps steps;
    for (int duration : durations)
        steps.Add().Duration = duration;
    return steps;
}

TEST(TSteps, DurationStatsKeepTheEarlierStepOnTies)
{
    using TStats = std::tuple<float, std::ptrdiff_t, std::ptrdiff_t>; // average, shortest, longest
    const auto stats = [](const TSteps& steps) {
        const auto s = steps.DurationStats();
        return TStats(s.Average, s.Shortest, s.Longest);
    };
    EXPECT_EQ(stats(WithDurations({5, 3, 3, 9})), TStats(5, 1, 3));
    EXPECT_EQ(stats(WithDurations({4, 4, 4})), TStats(4, 0, 0));
    EXPECT_EQ(stats(TSteps()), TStats(0, -1, -1));
}

TEST(TSteps, CopyFromAppendsAfterTheStepsAlreadyThereAndNoneLiesOutside)
{
    TSteps steps = WithDurations({1, 2});
    steps.CopyFrom(WithDurations({3, 4, 5}));
    EXPECT_EQ(steps, WithDurations({1, 2, 3, 4, 5}));
    const TSteps& fixed = steps;
    for (const std::ptrdiff_t outside : {-1, 5}) {
        EXPECT_EQ(steps.Items(outside), nullptr);
        EXPECT_EQ(fixed.Items(outside), nullptr);
    }
}

constexpr double Day = 46000; // some midnight
constexpr double Minute = 1.0 / 1440;

// A Gromacs unit of 100 frames whose first `done` frames took two minutes each.
workunits::TWU Running(int done)
{
    workunits::TWU wu;
    wu.SetCore(workunits::core::Gromacs);
    wu.FramesExpected = 100;
    for (int frame = 0; frame <= done; ++frame) {
        auto& step = wu.Steps.Add();
        step.Frame = frame;
        step.PrevDate = Day + (frame - 1) * 2 * Minute;
        step.Date = Day + frame * 2 * Minute;
        step.Duration = frame == 0 ? 0 : 120;
    }
    return wu;
}

TEST(EstimateEnd, FramesLeftAtTheBenchmarkPaceFromTheLastFrame)
{
    const workunits::TWU wu = Running(40);
    const double lastFrame = Day + 80 * Minute;

    const auto eta = workunits::EstimateEnd(wu, lastFrame + 20 * Minute);
    ASSERT_TRUE(eta.has_value());
    EXPECT_EQ(eta->FramesLeft, 60);
    EXPECT_NEAR(eta->ExpectedEnd, lastFrame + 120 * Minute, 1e-9);
    EXPECT_NEAR(eta->RemainingSeconds, 100 * 60, 1e-3);

    // A client stopped for longer than the estimate: the end lies in the past, nothing remains.
    const auto late = workunits::EstimateEnd(wu, lastFrame + 1);
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->RemainingSeconds, 0);
}

TEST(EstimateEnd, NoneForAUnitThatIsNotFolding)
{
    const workunits::TWU allDone = Running(100);
    workunits::TWU shutDown = Running(40);
    shutDown.ShutdownLine = "[10:00:00] Folding@home Core Shutdown: INTERRUPTED";
    workunits::TWU noSteps;
    noSteps.FramesExpected = 100;
    const workunits::TWU noBenchmarkYet = Running(0); // frame 0 has no duration
    for (const auto& [name, wu] :
         {std::pair<const char*, const workunits::TWU*>{"all done", &allDone},
          {"shut down", &shutDown},
          {"no steps", &noSteps},
          {"no benchmark yet", &noBenchmarkYet}})
        EXPECT_FALSE(workunits::EstimateEnd(*wu, Day + 1).has_value()) << name;
}

} // namespace korvid
