#include "window/qt_cursor.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(QtCursor, ShapesSetAndUnsetTheWidgetCursor)
{
    QWidget widget;
    window::TQtCursor cursor(widget);
    const std::pair<chart::TCursorShape, Qt::CursorShape> rows[] = {
        {chart::TCursorShape::Hand, Qt::PointingHandCursor},
        {chart::TCursorShape::Cross, Qt::CrossCursor},
        {chart::TCursorShape::Hidden, Qt::BlankCursor}};
    for (const auto& [shape, qtShape] : rows) {
        cursor.SetCursorShape(shape);
        EXPECT_EQ(widget.cursor().shape(), qtShape);
    }
    cursor.SetCursorShape(chart::TCursorShape::Default);
    EXPECT_EQ(widget.cursor().shape(), Qt::ArrowCursor);
}

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
