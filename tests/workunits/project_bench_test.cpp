#include "workunits/project_bench.h"

#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "workunits/log_text.h"

namespace korvid {

using workunits::TWUs;

namespace {

// A finished Gromacs unit of project `project` (run `run`) started on `day`, whose frames took
// `minutes` each.
std::string UnitLog(int project, int run, int day, int minutes)
{
    const auto at = [](int m) {
        char text[16];
        std::snprintf(text, sizeof text, "[%02d:%02d:00]", m / 60, m % 60);
        return std::string(text);
    };
    const std::string start = "March " + std::to_string(day) + " 08:00:00";
    return test::Lines({at(480) + " Core required: FahCore_78.exe",
                        at(480) + " Working on Unit 01 [" + start + "]",
                        at(480) + " Project: " + std::to_string(project) + " (Run " +
                            std::to_string(run) + ", Clone 0, Gen 0)",
                        at(480) + " Completed 0 out of 300 steps  (0%)",
                        at(480 + minutes) + " Completed 100 out of 300 steps  (1%)",
                        at(480 + 2 * minutes) + " Completed 200 out of 300 steps  (2%)",
                        at(480 + 2 * minutes) + " Folding@home Core Shutdown: FINISHED_UNIT"});
}

} // namespace

TEST(TProjectTable, OneRowPerProjectOverBothCollectionsCountingEachUnitOnce)
{
    test::TFakeClock clock;
    TWUs history;
    TWUs log;
    history.ReadLog(UnitLog(7001, 1, 4, 10) + UnitLog(7001, 2, 5, 20), "/f/FAHlog.txt", clock);
    // The log holds run 2 again (already in the history) and a unit of another project.
    log.ReadLog(UnitLog(7001, 2, 5, 20) + UnitLog(6999, 3, 6, 5), "/f/FAHlog.txt", clock);
    ASSERT_EQ(history.Count(), 2);
    ASSERT_EQ(log.Count(), 2);

    const TWUs* collections[] = {&history, &log};
    const workunits::TProjectTable table(collections);
    const auto& rows = table.Rows();
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].Project, 6999);
    EXPECT_EQ(rows[0].Units, 1);
    EXPECT_DOUBLE_EQ(rows[0].Best, 300);
    EXPECT_EQ(rows[1].Project, 7001);
    EXPECT_EQ(rows[1].Units, 2);
    EXPECT_DOUBLE_EQ(rows[1].Best, 600);
    EXPECT_DOUBLE_EQ(rows[1].Average, 900);
    EXPECT_DOUBLE_EQ(rows[1].Worst, 1200);
    EXPECT_EQ(rows[1].Core, history.Items(1)->CoreName());
    EXPECT_DOUBLE_EQ(rows[1].LastDate, history.Items(1)->StartDate());

    const auto points = table.Points(7001);
    ASSERT_EQ(points.size(), 2U);
    EXPECT_LT(points[0].StartDate, points[1].StartDate);
    EXPECT_DOUBLE_EQ(points[0].Benchmark, 600);
    EXPECT_TRUE(table.Points(1234).empty());

    const util::TFixedRegionalSettings regional;
    const std::string csv = workunits::ProjectTableCsv(rows, {}, regional);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2); // header and two rows
    EXPECT_NE(csv.find("900.00"), std::string::npos);
}

} // namespace korvid
