#include "workunits/project_bench.h"

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
    const util::TFixedRegionalSettings regional;
    EXPECT_EQ(workunits::ProjectTableCsv(table.Rows(), {}, regional),
              ",,,,,,,,\r\n"
              "6999,,1,300.00,300.00,300.00,Gromacs,2026-03-06 08:00,\r\n"
              "7001,,2,600.00,900.00,1200.00,Gromacs,2026-03-05 08:00,");

    const auto points = table.Points(7001);
    ASSERT_EQ(points.size(), 2U);
    EXPECT_LT(points[0].StartDate, points[1].StartDate);
    EXPECT_DOUBLE_EQ(points[0].Benchmark, 600);
    EXPECT_TRUE(table.Points(1234).empty());
}

} // namespace korvid
