#include "window/chart_widget.h"

#include <algorithm>
#include <tuple>

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include "testing/fake_cursor.h"
#include "window/window_testing.h"
#include "window/qt_canvas.h"

namespace korvid {
namespace {

using workunits::core::Gromacs;

class ChartWidgetTest : public ::testing::Test {
protected:
    translation::TTranslation catalogue = test::FrenchCatalogue();
    util::TFixedRegionalSettings regional;
    window::TChartWidget widget{catalogue, regional};
    std::unique_ptr<workunits::TWU> wu =
        test::MakeUnit("p1234_abc", Gromacs, 100, test::EvenSteps(0, 60, 150));
    std::unique_ptr<workunits::TWU> other =
        test::MakeUnit("p5678_xyz", Gromacs, 50, test::EvenSteps(0, 50, 400));

    void SetUp() override
    {
        widget.resize(640, 420);
        widget.show();
        QApplication::processEvents();
    }

    // The unit painted by a view and engine of its own on an image of that size.
    QImage Reference(const workunits::TWU* unit, QSize size)
    {
        window::TChartView view(catalogue, regional);
        test::TFakeCursor cursor;
        chart::TChart chart(cursor);
        window::TQtCanvas canvas(size);
        view.BuildPoints(unit);
        view.Paint(chart, canvas);
        return canvas.Image().copy();
    }
    QImage OnScreen() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QPoint PlotPoint(double fx, double fy) const
    {
        const chart::TGraph& g = *widget.Chart().Graph(1);
        return {g.PlotLeft + static_cast<int>(g.PlotWidth * fx),
                g.PlotBottom - static_cast<int>(g.PlotHeight * fy)};
    }
};

// Pixel for pixel, and opaque: the reference is RGB32.
bool SameImage(const png::TImage& ours, const QImage& reference)
{
    const QImage argb = reference.convertToFormat(QImage::Format_ARGB32);
    return ours.Width() == static_cast<std::uint32_t>(argb.width()) &&
           ours.Height() == static_cast<std::uint32_t>(argb.height()) &&
           std::equal(ours.Pixels().begin(), ours.Pixels().end(),
                      reinterpret_cast<const std::uint32_t*>(argb.constBits()));
}

TEST_F(ChartWidgetTest, RenderImageIsThePaintAtTheWidgetsCurrentSizeAndOpaque)
{
    widget.BuildPoints(wu.get());
    for (const QSize size : {QSize(640, 420), QSize(900, 500), QSize(300, 200)}) {
        SCOPED_TRACE(size.width());
        widget.resize(size);
        EXPECT_TRUE(SameImage(widget.RenderImage(), Reference(wu.get(), size)));
    }
}

TEST_F(ChartWidgetTest, BuildPointsShowsTheUnitBeforeReturningAndResetsTheZoom)
{
    widget.BuildPoints(wu.get());
    EXPECT_EQ(OnScreen(), Reference(wu.get(), widget.size()));
    test::Drag(widget, PlotPoint(0.5, 1.0), PlotPoint(1.0, 0.0), Qt::ControlModifier);
    const chart::TZoomWindow zoom = widget.Chart().Zoom(1);
    EXPECT_NEAR(zoom.X0, 0.5, 0.01);
    EXPECT_NEAR(zoom.X1, 1.0, 1e-9);
    EXPECT_NE(OnScreen(), Reference(wu.get(), widget.size())) << "the zoom is painted at once";

    widget.BuildPoints(other.get());
    EXPECT_EQ(widget.Chart().Zoom(1), chart::TZoomWindow{});
    EXPECT_EQ(OnScreen(), Reference(other.get(), widget.size()));
    widget.BuildPoints(nullptr);
    QImage white(widget.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(OnScreen(), white);
}

// Hovering draws nothing and shows what a press would start; the readout goes at release
// unless Shift holds it.
TEST_F(ChartWidgetTest, MouseEventsShowTheReadoutOrTheGestureAhead)
{
    widget.BuildPoints(wu.get());
    EXPECT_EQ(widget.toolTip().toStdString(), catalogue.GetText("", "msgChartHint"));
    const QImage clean = Reference(wu.get(), widget.size());
    const QPoint plot = PlotPoint(0.3, 0.2);
    // Hovering draws nothing and shows what a press there would start.
    const std::tuple<QPoint, Qt::KeyboardModifiers, Qt::CursorShape> hovers[] = {
        {plot, Qt::NoModifier, Qt::PointingHandCursor},
        {plot, Qt::ControlModifier, Qt::CrossCursor},
        {QPoint(5, 5), Qt::NoModifier, Qt::ArrowCursor}};
    for (const auto& [at, keys, shape] : hovers) {
        test::SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, keys);
        EXPECT_EQ(widget.cursor().shape(), shape);
        EXPECT_EQ(OnScreen(), clean);
    }
    // A press shows the readout; Shift at the release holds it.
    test::SendMouse(widget, QEvent::MouseButtonPress, plot, Qt::LeftButton, Qt::LeftButton);
    EXPECT_NE(OnScreen(), clean);
    EXPECT_FALSE(widget.Chart().ReadoutHeld());
    test::SendMouse(widget, QEvent::MouseButtonRelease, plot, Qt::LeftButton, Qt::NoButton,
                    Qt::ShiftModifier);
    EXPECT_NE(OnScreen(), clean);
    EXPECT_TRUE(widget.Chart().ReadoutHeld());
    // The export still shows the chart alone.
    EXPECT_TRUE(SameImage(widget.RenderImage(), clean));
}

} // namespace
} // namespace korvid
