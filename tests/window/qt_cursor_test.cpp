#include "window/qt_cursor.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(QtCursor, ConfinementLastsUntilReleased)
{
    QWidget widget;
    window::TQtCursor cursor(widget);
    cursor.ConfineCursor({10, 20, 110, 220});
    cursor.ConfineCursor({10, 20, 120, 230});
    ASSERT_TRUE(cursor.Confinement());
    EXPECT_EQ(*cursor.Confinement(), (chart::TRect{10, 20, 120, 230}));
    cursor.ReleaseCursor();
    EXPECT_FALSE(cursor.Confinement());
}

} // namespace
} // namespace korvid
