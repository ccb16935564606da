#include "window/qt_platform.h"

#include <utility>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace korvid {

TEST(QtRegionalSettings, FollowsTheLocalesFormatsAndSeparators)
{
    const double when = test::At(2006, 6, 29, 19, 41, 30);
    const window::TQtRegionalSettings french(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(french.FormatShortDate(when), "29/06/2006");
    EXPECT_EQ(french.FormatShortTime(when), "19:41");
    EXPECT_EQ(std::pair(french.DecimalSeparator(), french.ListSeparator()), std::pair(',', ';'));

    const window::TQtRegionalSettings american(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(std::pair(american.DecimalSeparator(), american.ListSeparator()),
              std::pair('.', ','));

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

TEST(QtNameFilters, EachNameWithItsPatternsInEitherCase)
{
    const std::pair<const char*, QStringList> rows[] = {
        {"Logs (Fahlog*.txt)|Fahlog*.txt;log-*.txt|All|*.*",
         {QStringLiteral("Logs (Fahlog*.txt) ([Ff][Aa][Hh][Ll][Oo][Gg]*.[Tt][Xx][Tt] "
                         "[Ll][Oo][Gg]-*.[Tt][Xx][Tt])"),
          QStringLiteral("All (*)")}},
        // Only ASCII letters are doubled; a name without patterns is dropped.
        {"\xC3\xA9t\xC3\xA9|\xC3\xA9t\xC3\xA9.log|orphan",
         {QString::fromUtf8("\xC3\xA9t\xC3\xA9 (\xC3\xA9[Tt]\xC3\xA9.[Ll][Oo][Gg])")}},
    };
    for (const auto& [filter, expected] : rows)
        EXPECT_EQ(window::ToQtNameFilters(filter), expected) << filter;
}

TEST(QtMessageBox, ANoticeOfferingItsFolderTellsWhichButtonWasChosen)
{
    window::TQtMessageBox boxes(QStringLiteral("Korvid"));
    for (const bool open : {false, true}) {
        SCOPED_TRACE(open ? "the folder's button" : "OK");
        // Answered once the box runs its own event loop.
        QTimer::singleShot(0, [open] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("1 file written: /tmp/x.csv"));
            for (QAbstractButton* button : box->buttons())
                if ((button->text() == QStringLiteral("Open the folder")) == open)
                    button->click();
        });
        EXPECT_EQ(boxes.InformWithFolder("1 file written: /tmp/x.csv", "Open the folder"), open);
    }
}

} // namespace korvid
