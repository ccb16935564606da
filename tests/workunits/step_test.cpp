#include "workunits/step.h"

#include <gtest/gtest.h>

namespace korvid {

using workunits::TSteps;

TSteps WithDurations(std::initializer_list<int> durations)
{
    TSteps steps;
    for (int duration : durations)
        steps.Add().Duration = duration;
    return steps;
}

TEST(TSteps, ItemsOutsideTheListAreNone)
{
    TSteps steps = WithDurations({1, 2});
    EXPECT_EQ(steps.Items(-1), nullptr);
    EXPECT_EQ(steps.Items(2), nullptr);
    ASSERT_NE(steps.Items(1), nullptr);
    EXPECT_EQ(steps.Items(1)->Duration, 2);
}

TEST(TSteps, DurationStatsKeepTheEarlierStepOnTies)
{
    const auto stats = WithDurations({5, 3, 3, 9}).DurationStats();
    EXPECT_EQ(stats.Average, 5.0F);
    EXPECT_EQ(stats.Shortest, 1);
    EXPECT_EQ(stats.Longest, 3);

    const auto same = WithDurations({4, 4, 4}).DurationStats();
    EXPECT_EQ(same.Shortest, 0);
    EXPECT_EQ(same.Longest, 0);

    const auto none = TSteps().DurationStats();
    EXPECT_EQ(none.Average, 0.0F);
    EXPECT_EQ(none.Shortest, -1);
}

TEST(TSteps, CopyFromAppendsAfterTheStepsAlreadyThere)
{
    TSteps steps = WithDurations({1, 2});
    steps.CopyFrom(WithDurations({3, 4, 5}));
    ASSERT_EQ(steps.Count(), 5);
    EXPECT_EQ(steps.Items(0)->Duration, 1);
    EXPECT_EQ(steps.Items(4)->Duration, 5);
}

} // namespace korvid
