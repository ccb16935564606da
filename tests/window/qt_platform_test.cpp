#include "window/qt_platform.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace korvid {

TEST(QtRegionalSettings, FollowsTheLocalesFormatsAndSeparators)
{
    const double when = test::At(2006, 6, 29, 19, 41, 30);
    const window::TQtRegionalSettings french(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(french.FormatShortDate(when), "29/06/2006");
    EXPECT_EQ(french.FormatShortTime(when), "19:41");
    EXPECT_EQ(french.DecimalSeparator(), ',');
    EXPECT_EQ(french.ListSeparator(), ';');

    const window::TQtRegionalSettings american(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(american.DecimalSeparator(), '.');
    EXPECT_EQ(american.ListSeparator(), ',');
    EXPECT_NE(american.FormatShortDate(when).find("29"), std::string::npos);

    // The C locale's short time has seconds; ours never does.
    EXPECT_EQ(window::TQtRegionalSettings(QLocale::c()).FormatShortTime(when), "19:41");
}

TEST(QtDateTime, DaysAndQtDateTimesConvertBothWays)
{
    const double when = test::At(2026, 12, 6, 23, 59, 59);
    const QDateTime converted = window::ToQDateTime(when);
    EXPECT_EQ(converted.date(), QDate(2026, 12, 6));
    EXPECT_EQ(converted.time(), QTime(23, 59, 59));
    EXPECT_NEAR(window::ToDays(converted), when, 1e-8);
}

TEST(QtText, LogBytesAreUtf8WhenValidAndWindows1252Otherwise)
{
    EXPECT_EQ(window::ToQString("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(window::ToQString("\xE9t\xE9 \x80"),
              QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"));
}

TEST(QtNameFilters, LogFilterMatchesTheClientsNamesInAnyCase)
{
    const QStringList filters = window::ToQtNameFilters(
        "Fichiers de traces F@H (Fahlog*.txt)|Fahlog*.txt|Tous les fichiers (*.*)|*.*");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("Fichiers de traces F@H (Fahlog*.txt) (")));

    // The dialog matches with the last part in parentheses.
    auto matches = [](const QString& filter, const QString& name) {
        const QString patterns = filter.mid(filter.lastIndexOf(QLatin1Char('(')) + 1).chopped(1);
        for (const QString& pattern : patterns.split(QLatin1Char(' ')))
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                    .match(name)
                    .hasMatch())
                return true;
        return false;
    };
    EXPECT_TRUE(matches(filters[0], QStringLiteral("FAHlog.txt")));
    EXPECT_TRUE(matches(filters[0], QStringLiteral("FAHlog-Prev.txt")));
    EXPECT_TRUE(matches(filters[0], QStringLiteral("fahlog.TXT")));
    EXPECT_FALSE(matches(filters[0], QStringLiteral("unitinfo.txt")));
    EXPECT_TRUE(matches(filters[1], QStringLiteral("FAHlog")));
}

} // namespace korvid
