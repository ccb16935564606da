// Paints the chart of a 5,000-frame unit into a 1000 x 700 image, the whole paint sequence of the
// chart view, against a plain QPainter::drawPolyline of the same points on the same image size.
// Then plots a million rows on a canvas that only counts, against mapping the same points to
// pixels alone: what the engine adds per point.

#include <algorithm>
#include <chrono>
#include <cmath>
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

// Counts instead of drawing, so that only the engine's own work is timed.
struct TCountingCanvas final : chart::ICanvas {
    std::size_t Lines = 0;
    std::size_t Pixels = 0;
    [[nodiscard]] int Width() const override { return 1000; }
    [[nodiscard]] int Height() const override { return 700; }
    void SetPen(const chart::TPen&) override {}
    void SetBrush(const chart::TBrush&) override {}
    void SetFont(const chart::TFont&) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override { ++Lines; }
    void SetPixel(int, int, chart::TColor) override { ++Pixels; }
    void Ellipse(int, int, int, int) override {}
    void Polygon(std::span<const chart::TPoint>) override {}
    void FillRect(int, int, int, int) override {}
    void TextOut(int, int, std::string_view) override {}
    [[nodiscard]] int TextWidth(std::string_view text) override
    {
        return 6 * static_cast<int>(text.size());
    }
    [[nodiscard]] int TextHeight(std::string_view) override { return 13; }
};

void PlotManyRows(bool quick)
{
    const std::size_t rows = quick ? 10000 : 1000000;
    chart::TDataArray data(rows + 1, std::vector<float>(2));
    data[0] = {0, 1};
    for (std::size_t r = 1; r <= rows; ++r)
        data[r] = {static_cast<float>(r) * 100 / static_cast<float>(rows),
                   static_cast<float>(std::sin(static_cast<double>(r) / 100) + 2)};
    TCountingCanvas canvas;
    chart::TNoCursor cursor;
    chart::TChart chart(cursor);
    auto plot = [&] {
        chart.ChartInit(canvas, 0xFFFFFF, 0, 1.0F);
        chart.ChartStartGraph(0, 100, 0, 100, 40, 20, 40, 40, false);
        chart.ChartXAxis(0, "", false, 0, 100, 0, 0, false, false);
        chart.ChartYAxis(0, "", 1, 0, 4, 0, 0, false, false, false);
        chart.ChartMarker(0, 0, 0);
        chart.ChartPlotArray(data, 0, 1, {});
        chart.ChartFinish();
    };
    plot();
    const chart::TGraph& g = *chart.Graph(1);
    long sink = 0;
    const int runs = quick ? 3 : 7;
    const double ours = bench::MedianSeconds(runs, plot);
    const double mapping = bench::MedianSeconds(runs, [&] {
        for (std::size_t r = 1; r <= rows; ++r)
            sink += chart::XPixel(g, data[r][0]) + chart::YPixel(g, g.Y[0], data[r][1]);
    });
    bench::Report("ChartPlotArray " + std::to_string(rows) + " rows", ours, mapping, 10.0);
    canvas = TCountingCanvas{};
    plot();
    std::printf("  one plot: %zu lines, %zu pixels (%ld)\n", canvas.Lines, canvas.Pixels, sink % 2);
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
    PlotManyRows(quick);
    return 0;
}
