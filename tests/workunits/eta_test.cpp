#include "workunits/eta.h"

#include <gtest/gtest.h>

namespace korvid {

namespace {

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

} // namespace

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
    struct Row {
        const char* name;
        workunits::TWU wu;
    };
    workunits::TWU finished = Running(100);
    workunits::TWU shutDown = Running(40);
    shutDown.ShutdownLine = "[10:00:00] Folding@home Core Shutdown: INTERRUPTED";
    workunits::TWU noSteps;
    noSteps.FramesExpected = 100;
    workunits::TWU onlyFrameZero = Running(0); // no duration yet: no benchmark
    Row rows[] = {{"all frames done", finished},
                  {"ended by a shutdown line", shutDown},
                  {"no steps", noSteps},
                  {"no benchmark yet", onlyFrameZero}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(workunits::EstimateEnd(row.wu, Day + 1).has_value());
    }
}

} // namespace korvid
