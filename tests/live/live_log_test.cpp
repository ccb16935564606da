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

std::string Frame(int h, int m, std::size_t unit, int frame)
{
    const std::string n = std::to_string(frame);
    return Line(h, m,
                "I1:WU" + std::to_string(unit) + ":Completed " + n + " out of 100 steps (" + n +
                    "%)");
}

} // namespace

class LiveLogTest : public ::testing::Test {
protected:
    test::TFakeClock clock;
    live::TLiveLog log{clock};

    static std::vector<std::string_view> Views(const std::vector<std::string>& lines)
    {
        return {lines.begin(), lines.end()};
    }
    std::vector<double> Dates(std::int64_t unit) const
    {
        std::vector<double> dates;
        if (const workunits::TWU* wu = log.Unit(unit))
            for (const workunits::TStep& step : wu->Steps)
                dates.push_back(step.Date);
        return dates;
    }
};

TEST_F(LiveLogTest, DatesTheFirstBatchBackAcrossMidnightFromItsArrival)
{
    clock.Value = test::At(2024, 10, 2, 0, 30);
    log.Replace(Views({Line(23, 40, "I1:WU7:Project: 123 (Run 4, Clone 5, Gen 6)"),
                       Line(23, 40, "I1:WU8:Some other unit's line"), Frame(23, 50, 7, 0),
                       Line(23, 58, "I1:Nothing of a unit"),
                       "\x1b[93m" + Frame(0, 5, 7, 1) + "\x1b[0m", Frame(0, 20, 7, 2) + "\r"}));
    ASSERT_NE(log.Unit(7), nullptr);
    EXPECT_EQ(log.Unit(7)->Project, 123);
    EXPECT_EQ(Dates(7), (std::vector{test::At(2024, 10, 1, 23, 50), test::At(2024, 10, 2, 0, 5),
                                     test::At(2024, 10, 2, 0, 20)}));
    EXPECT_EQ(log.Unit(7)->Steps.Items(2)->Duration, 900);
    EXPECT_EQ(log.Unit(8), nullptr); // a line that tells the reader nothing is not kept
}

TEST_F(LiveLogTest, AppendedLinesTakeTheDayOfTheirArrival)
{
    clock.Value = test::At(2024, 10, 1, 23, 59);
    log.Replace(Views({Frame(23, 50, 7, 0)}));
    clock.Value = test::At(2024, 10, 2, 0, 0, 10);
    log.Append(Views({Frame(23, 59, 7, 1), Frame(0, 0, 7, 2)}));
    // A unit silent for a day still gets its dates right.
    clock.Value = test::At(2024, 10, 3, 12, 0);
    log.Append(Views({Frame(12, 0, 7, 3)}));
    EXPECT_EQ(Dates(7), (std::vector{test::At(2024, 10, 1, 23, 50), test::At(2024, 10, 1, 23, 59),
                                     test::At(2024, 10, 2), test::At(2024, 10, 3, 12)}));
}

TEST_F(LiveLogTest, ABatchSentAgainReplacesTheUnitsItNamesAndKeepsWhatItLost)
{
    log.Replace(Views({Frame(9, 59, 2, 0), Frame(10, 0, 1, 0), Frame(10, 1, 2, 1)}));
    // The client's buffer lost the first lines: its batch starts later.
    log.Replace(Views({Frame(10, 1, 2, 1), Frame(10, 5, 2, 2)}));
    EXPECT_EQ(Dates(1), std::vector{test::At(2026, 12, 6, 10)});
    EXPECT_EQ(Dates(2), (std::vector{test::At(2026, 12, 6, 9, 59), test::At(2026, 12, 6, 10, 1),
                                     test::At(2026, 12, 6, 10, 5)}));
}

TEST_F(LiveLogTest, KeepsABoundedNumberOfUnits)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i <= live::TLiveLog::MaxUnits; ++i)
        lines.push_back(Frame(10, 0, i, 0));
    log.Append(Views(lines));
    EXPECT_EQ(log.UnitCount(), live::TLiveLog::MaxUnits);
    EXPECT_EQ(log.Unit(0), nullptr); // the oldest went
    EXPECT_NE(log.Unit(live::TLiveLog::MaxUnits), nullptr);
}

} // namespace korvid
