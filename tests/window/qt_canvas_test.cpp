#include "window/qt_canvas.h"

#include <array>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "chart/chart.h"
#include "testing/fake_cursor.h"
#include "sample_chart.h"
#include "window_testing.h"

namespace korvid {
namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Maroon = qRgb(128, 0, 0);

template <class F> void EachPixel(const QImage& image, F&& visit)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            visit(x, y, image.pixel(x, y));
}

TEST(QtCanvas, LineToLeavesItsEndPixelInEveryDirection)
{
    const std::pair<const char*, QPoint> rows[] = {
        {"right", {20, 10}}, {"left", {0, 10}},     {"down", {10, 20}},
        {"up", {10, 0}},     {"steep up", {13, 1}}, {"shallow left", {1, 13}}};
    for (const auto& [name, to] : rows) {
        SCOPED_TRACE(name);
        window::TQtCanvas canvas(QSize(21, 21));
        canvas.SetPen({0, chart::TPenStyle::Solid, 1, chart::TPenMode::Copy});
        canvas.MoveTo(10, 10);
        canvas.LineTo(to.x(), to.y());
        const QImage& image = canvas.Image();
        EXPECT_EQ(image.pixel(10, 10), Black);
        EXPECT_EQ(image.pixel(to), White);
        const QPoint d = to - QPoint(10, 10);
        int inked = 0;
        EachPixel(image, [&](int, int, QRgb pixel) { inked += pixel != White ? 1 : 0; });
        EXPECT_EQ(inked, std::max(std::abs(d.x()), std::abs(d.y())));
    }
}

TEST(QtCanvas, ExclusiveOrFiguresDrawnTwiceLeaveNoTrace)
{
    window::TQtCanvas canvas(QSize(40, 30));
    canvas.SetPen({0xFF0000, chart::TPenStyle::Solid, 1, chart::TPenMode::Copy});
    canvas.MoveTo(0, 15);
    canvas.LineTo(40, 15);
    const QImage before = canvas.Image().copy();

    canvas.SetPen({0xFFFFFF ^ 0x80, chart::TPenStyle::Solid, 1, chart::TPenMode::Xor});
    canvas.SetBrush({0, chart::TBrushStyle::Clear});
    auto figure = [&] {
        canvas.MoveTo(5, 5);
        canvas.LineTo(30, 5);
        canvas.LineTo(30, 25);
        canvas.LineTo(5, 25);
        canvas.LineTo(5, 5);
        canvas.Ellipse(10, 10, 21, 21);
    };
    figure();
    const QImage shown = canvas.Image().copy();
    EXPECT_EQ(shown.pixel(5, 5), Maroon); // every corner painted once
    EXPECT_EQ(shown.pixel(30, 25), Maroon);
    EXPECT_EQ(shown.pixel(5, 15), qRgb(0x7F, 0xFF, 0)); // blue ^ 0x7FFFFF
    figure();
    EXPECT_EQ(canvas.Image(), before);
}

TEST(QtCanvas, TextHasNoAntialiasedEdges)
{
    window::TQtCanvas canvas(QSize(200, 40));
    canvas.SetFont({"Arial", 8, false, false, 0x000080});
    EXPECT_GT(canvas.TextWidth("Frame #12"), canvas.TextWidth("Frame"));
    EXPECT_GT(canvas.TextHeight("0"), 5);
    canvas.TextOut(2, 2, "Frame #12 @ 10:21");
    const QImage& image = canvas.Image();
    std::set<QRgb> colours;
    EachPixel(image, [&](int, int, QRgb pixel) { colours.insert(pixel); });
    EXPECT_EQ(colours, (std::set<QRgb>{White, Maroon}));
}

// The inked box of a text drawn at (100, 100): level text lies right of and below the point,
// upward text right of and above it, downward text left of and below it.
TEST(QtCanvas, FontAngleTurnsTextAboutItsTopLeftCorner)
{
    // Whether the ink is wider than high, right of the point, below it.
    const std::pair<int, std::array<bool, 3>> rows[] = {
        {0, {true, true, true}}, {90, {false, true, false}}, {-90, {false, false, true}}};
    for (const auto& [angle, expected] : rows) {
        SCOPED_TRACE(angle);
        window::TQtCanvas canvas(QSize(200, 200));
        canvas.SetFont({"Arial", 8, false, false, 0, angle});
        canvas.TextOut(100, 100, "Temps (mn)");
        const QImage& image = canvas.Image();
        QRect ink;
        EachPixel(image, [&](int x, int y, QRgb pixel) {
            if (pixel != White)
                ink |= QRect(x, y, 1, 1);
        });
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_EQ((std::array<bool, 3>{ink.width() > ink.height(), ink.center().x() > 100,
                                       ink.center().y() > 100}),
                  expected);
    }
}

TEST(QtCanvas, EmptyAndTinySurfacesTakeEveryCall)
{
    for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(1, 500)}) {
        SCOPED_TRACE(size.width());
        window::TQtCanvas canvas(size);
        test::TFakeCursor cursor;
        chart::TChart chart(cursor);
        const loggen::TSampleUnit unit = loggen::MakeSampleUnit(30, 40);
        loggen::PaintUnitChart(chart, canvas, &unit);
        chart.ChartMouseDown(chart::TMouseButton::Left, chart::LeftButton, 0, 0);
        EXPECT_EQ(canvas.Image().size(), size.isEmpty() ? QSize(0, 0) : size);
    }
}

// The readout over a painted chart, a circle in exclusive or and a text erased by writing it
// again in the background, leaves no trace.
TEST(QtCanvas, TheReadoutInExclusiveOrLeavesNoTrace)
{
    window::TQtCanvas canvas(QSize(600, 400));
    test::TFakeCursor cursor;
    chart::TChart chart(cursor);
    const loggen::TSampleUnit unit = loggen::MakeSampleUnit(60, 60);
    loggen::PaintUnitChart(chart, canvas, &unit, [](std::size_t row, std::size_t, std::string& t) {
        t = "Frame #" + std::to_string(row);
    });
    auto pixelOf = [&](std::size_t row) {
        return test::PlotPixel(*chart.Graph(1), unit.Points[row][0], unit.Points[row][1]);
    };
    const QImage before = canvas.Image().copy();
    const chart::TPoint p = pixelOf(30);
    chart.ChartMouseDown(chart::TMouseButton::Left, chart::LeftButton, p.X, p.Y - 50);
    EXPECT_NE(canvas.Image(), before);
    chart.ChartMouseMove(chart::LeftButton, pixelOf(31).X, p.Y);
    chart.ChartMouseUp(chart::TMouseButton::Left, 0, pixelOf(31).X, p.Y);
    EXPECT_EQ(canvas.Image(), before);
}

} // namespace
} // namespace korvid
