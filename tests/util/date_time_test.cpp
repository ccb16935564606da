#include "util/date_time.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korvid {

TEST(DateTime, DayZeroIsTheLastDayOf1899AndOnlyRealDatesAndTimesEncode)
{
    struct TRow {
        int a, b, c; // year, month, day or hour, minute, second
        std::optional<double> date, time;
    };
    const TRow rows[] = {
        {1899, 12, 30, 0.0, {}},    {1900, 1, 1, 2.0, {}},
        {2000, 1, 1, 36526.0, {}},  {2024, 2, 29, 45351.0, {}},
        {2000, 2, 29, 36585.0, {}}, {2023, 2, 29, {}, {}},
        {1900, 2, 29, {}, {}}, // a century that is no leap year
        {2023, 4, 31, {}, {}},      {2023, 13, 1, {}, {}},
        {2023, -1, 1, {}, {}},      {2023, 1, 0, {}, {}},
        {24, 0, 0, {}, {}},         {23, 60, 0, {}, {}},
        {23, 59, 60, {}, {}},       {23, 59, 59, {}, 86399.0 / 86400},
        {18, 0, 0, {}, 0.75},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::to_string(row.a) + "-" + std::to_string(row.b) + "-" +
                     std::to_string(row.c));
        if (row.a > 100)
            EXPECT_EQ(util::EncodeDate(row.a, row.b, row.c), row.date);
        else
            EXPECT_EQ(util::EncodeTime(row.a, row.b, row.c), row.time);
    }
    EXPECT_EQ(util::DecodeTime(45000.75), (util::TTimeOfDay{18, 0, 0, 0}));
}

TEST(DateTime, DecodesEveryDayOfFourHundredYearsBackToItself)
{
    const double first = *util::EncodeDate(1900, 1, 1);
    const double last = *util::EncodeDate(2300, 1, 1);
    for (double day = first; day < last; ++day) {
        const util::TDate date = util::DecodeDate(day + 0.999);
        ASSERT_EQ(util::EncodeDate(date.Year, date.Month, date.Day), day);
    }
}

TEST(DateTime, IncYearTurnsLeapDayIntoTheLastOfFebruary)
{
    EXPECT_EQ(util::IncYear(test::At(2024, 2, 29, 10, 30), -1), test::At(2023, 2, 28, 10, 30));
    EXPECT_EQ(util::IncYear(test::At(2024, 3, 4, 8, 0, 5), -1), test::At(2023, 3, 4, 8, 0, 5));
}

TEST(DateTime, SecondsBetweenRoundsToTheNearest)
{
    const double start = test::At(2026, 1, 1);
    EXPECT_EQ(util::SecondsBetween(start, start + 1800.0 / 86400), 1800);
    EXPECT_EQ(util::SecondsBetween(0, 2.5 / 86400), 2);
    EXPECT_EQ(util::SecondsBetween(0, 3.5 / 86400), 4);
    EXPECT_EQ(util::SecondsBetween(start, start + 29.9999 / 86400), 30);
    EXPECT_EQ(util::SecondsBetween(start + 1, start), -86400);
    EXPECT_EQ(util::SecondsBetween(0, 1e300), INT32_MAX); // saturates, never undefined
}

TEST(DateTime, FormatsRoundedToTheSecond)
{
    EXPECT_EQ(util::FormatIso(test::At(2026, 3, 4, 8, 0, 5)), "2026-03-04 08:00:05");
    EXPECT_EQ(util::FormatIso(test::At(2026, 3, 4, 23, 59, 59) + 0.6 / 86400),
              "2026-03-05 00:00:00");
    EXPECT_EQ(util::FormatIso(0.5), "1899-12-30 12:00:00");
    EXPECT_EQ(util::FormatFileStamp(test::At(2026, 3, 4, 8, 7, 5)), "20260304_0807");
}

TEST(MonthFromName, MatchesWholeEnglishNamesInAnyCase)
{
    for (const auto& row : test::CaseTable("util/data/month_names.cases", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(util::MonthFromName(row[0]), std::stoi(row[1]));
    }
}

} // namespace korvid
