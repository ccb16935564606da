// Paints the chart of a 5,000-frame unit into a 1000 x 700 image, the whole paint sequence of the
// chart view, against a plain QPainter::drawPolyline of the same points on the same image size.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include "bench_util.h"
#include "chart/chart.h"
#include "chart/plot_geometry.h"
#include "sample_chart.h"
#include "window/chart_paint.h"
#include "window/qt_canvas.h"

namespace {

using namespace korvid;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class F> double Milliseconds(F&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    bench::PaintOffScreen();
    QApplication application(argc, argv);

    const int frames = quick ? 200 : 5000;
    const int runs = quick ? 3 : 51;
    const QSize size(1000, 700);
    const loggen::TSampleUnit unit = loggen::MakeSampleUnit(frames, frames);
    const window::TChartPicture picture = loggen::SamplePicture(unit);
    window::TQtCanvas canvas(size);
    chart::TNoCursor cursor;
    chart::TChart chart(cursor);
    window::PaintChart(chart, canvas, &picture, {}); // fonts and caches warm

    const chart::TGraph& g = *chart.Graph(1);
    QPolygon points;
    for (std::size_t r = 1; r < unit.Points.size(); ++r) {
        const double x = unit.Points[r][0];
        const double y = unit.Points[r][1];
        points.append(QPoint(chart::XPixel(g, x), chart::YPixel(g, g.Y[0], y)));
    }
    QImage reference(size, QImage::Format_RGB32);
    reference.fill(Qt::white);

    std::vector<double> ours;
    std::vector<double> ref;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(Milliseconds([&] {
            window::PaintChart(chart, canvas, &picture, {});
            (void)canvas.Image();
        }));
        ref.push_back(Milliseconds([&] {
            QPainter painter(&reference);
            painter.setPen(QColor(0, 0, 255));
            painter.drawPolyline(points);
        }));
    }
    const double oursMs = Median(ours);
    const double refMs = Median(ref);
    std::printf("ChartPaint %d frames 1000x700  ours %.3f ms  ref %.3f ms  ratio %.2f  "
                "(<= 3.0, ours <= 5 ms)\n",
                frames, oursMs, refMs, oursMs / refMs);
    return 0;
}
