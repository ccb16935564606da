#include "util/date_time.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "testing/fakes.h"
#include "testing/temp_dir.h"

namespace korvid {

TEST(DateTime, DayZeroIsTheLastDayOf1899AndOnlyRealDatesAndTimesEncode)
{
    for (const auto& row : test::CaseTable("util/data/encode_date_time.cases", 5)) {
        SCOPED_TRACE(row[0] + " " + row[1] + "-" + row[2] + "-" + row[3]);
        const int a = std::stoi(row[1]), b = std::stoi(row[2]), c = std::stoi(row[3]);
        const std::optional<double> value =
            row[4] == "none" ? std::nullopt : std::optional(std::stod(row[4]));
        if (row[0] == "date")
            EXPECT_EQ(util::EncodeDate(a, b, c), value);
        else
            EXPECT_EQ(util::EncodeTime(a, b, c), value ? std::optional(*value / 86400) : value);
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
