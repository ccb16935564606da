#include "live/live_log.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace korvid {

namespace {

std::string Line(int h, int m, std::string_view text)
{
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:00:", h, m);
    return stamp + std::string(text);
}

std::vector<std::string_view> Views(const std::vector<std::string>& lines)
{
    return {lines.begin(), lines.end()};
}

} // namespace

class LiveLogTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
    live::TLiveLog log{clock};
};

TEST_F(LiveLogTest, DatesTheFirstBatchBackAcrossMidnightFromItsArrival)
{
    clock.Value = test::At(2024, 10, 2, 0, 30);
    const std::vector<std::string> lines = {
        Line(23, 40, "I1:WU7:Project: 123 (Run 4, Clone 5, Gen 6)"),
        Line(23, 40, "I1:WU8:Some other unit's line"),
        Line(23, 50, "I1:WU7:Completed 0 out of 100 steps (0%)"),
        Line(23, 58, "I1:Nothing of a unit"),
        "\x1b[93m" + Line(0, 5, "I1:WU7:Completed 1 out of 100 steps (1%)\x1b[0m"),
        Line(0, 20, "I1:WU7:Completed 2 out of 100 steps (2%)\r"),
    };
    log.Replace(Views(lines));
    const workunits::TWU* wu = log.Unit(7);
    ASSERT_NE(wu, nullptr);
    EXPECT_EQ(wu->Project, 123);
    ASSERT_EQ(wu->Steps.Count(), 3);
    EXPECT_EQ(wu->Steps.Items(0)->Date, test::At(2024, 10, 1, 23, 50));
    EXPECT_EQ(wu->Steps.Items(2)->Date, test::At(2024, 10, 2, 0, 20));
    EXPECT_EQ(wu->Steps.Items(2)->Duration, 900);
    EXPECT_EQ(log.Unit(8), nullptr); // a line that tells the reader nothing is not kept
}

TEST_F(LiveLogTest, AppendedLinesTakeTheDayOfTheirArrival)
{
    clock.Value = test::At(2024, 10, 1, 23, 59);
    const std::vector<std::string> first = {
        Line(23, 50, "I1:WU7:Completed 0 out of 100 steps (0%)")};
    log.Replace(Views(first));
    clock.Value = test::At(2024, 10, 2, 0, 0, 10);
    const std::vector<std::string> late = {Line(23, 59, "I1:WU7:Completed 1 out of 100 steps (1%)"),
                                           Line(0, 0, "I1:WU7:Completed 2 out of 100 steps (2%)")};
    log.Append(Views(late));
    // A unit silent for a day still gets its dates right.
    clock.Value = test::At(2024, 10, 3, 12, 0);
    const std::vector<std::string> later = {
        Line(12, 0, "I1:WU7:Completed 3 out of 100 steps (3%)")};
    log.Append(Views(later));
    const workunits::TWU* wu = log.Unit(7);
    ASSERT_NE(wu, nullptr);
    ASSERT_EQ(wu->Steps.Count(), 4);
    EXPECT_EQ(wu->Steps.Items(1)->Date, test::At(2024, 10, 1, 23, 59));
    EXPECT_EQ(wu->Steps.Items(2)->Date, test::At(2024, 10, 2, 0, 0));
    EXPECT_EQ(wu->Steps.Items(3)->Date, test::At(2024, 10, 3, 12, 0));
}

TEST_F(LiveLogTest, ABatchSentAgainReplacesTheUnitsItNamesAndKeepsWhatItLost)
{
    const std::vector<std::string> first = {
        Line(9, 59, "I1:WU2:Completed 0 out of 100 steps (0%)"),
        Line(10, 0, "I1:WU1:Completed 0 out of 100 steps (0%)"),
        Line(10, 1, "I1:WU2:Completed 1 out of 100 steps (1%)")};
    log.Replace(Views(first));
    // The client's buffer lost the first lines: its batch starts later.
    const std::vector<std::string> again = {
        Line(10, 1, "I1:WU2:Completed 1 out of 100 steps (1%)"),
        Line(10, 5, "I1:WU2:Completed 2 out of 100 steps (2%)")};
    log.Replace(Views(again));
    ASSERT_NE(log.Unit(1), nullptr);
    EXPECT_EQ(log.Unit(1)->Steps.Count(), 1);
    ASSERT_EQ(log.Unit(2)->Steps.Count(), 3);
    EXPECT_EQ(log.Unit(2)->Steps.Items(0)->Date, test::At(2026, 12, 6, 9, 59));
}

TEST_F(LiveLogTest, KeepsABoundedNumberOfUnits)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i <= live::TLiveLog::MaxUnits; ++i)
        lines.push_back(
            Line(10, 0, "I1:WU" + std::to_string(i) + ":Completed 0 out of 9 steps (0%)"));
    log.Append(Views(lines));
    EXPECT_EQ(log.UnitCount(), live::TLiveLog::MaxUnits);
    EXPECT_EQ(log.Unit(0), nullptr); // the oldest went
    EXPECT_NE(log.Unit(live::TLiveLog::MaxUnits), nullptr);
}

} // namespace korvid
