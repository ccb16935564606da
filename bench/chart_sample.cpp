// Saves the sample chart as the chart view would show it, with a readout held on one frame:
// korvid_chart_sample <file.png> [width height frames]

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QImage>

#include "bench_util.h"
#include "chart/chart.h"
#include "sample_chart.h"
#include "window/chart_paint.h"
#include "window/qt_canvas.h"

namespace {

using namespace korvid;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: %s <file.png> [width height frames]\n", argv[0]);
        return 2;
    }
    bench::PaintOffScreen();
    QApplication application(argc, argv);
    const int width = argc == 5 ? std::atoi(argv[2]) : 1000;
    const int height = argc == 5 ? std::atoi(argv[3]) : 700;
    const int frames = argc == 5 ? std::atoi(argv[4]) : 80;
    if (width < 1 || height < 1 || width > 10000 || height > 10000 || frames < 0 ||
        frames > 1000000) {
        std::fprintf(stderr, "width and height 1..10000, frames 0..1000000\n");
        return 2;
    }

    // An unfinished unit: the x axis runs to the expected 100 frames.
    const loggen::TSampleUnit unit = loggen::MakeSampleUnit(frames, frames * 5 / 4);
    window::TQtCanvas canvas(QSize(width, height));
    chart::TNoCursor cursor;
    chart::TChart chart(cursor);
    const chart::TPointText pointText = [&](std::size_t row, std::size_t, std::string& text) {
        if (row >= 1 && row < unit.Points.size())
            text = "Frame #" + std::to_string(row) + " : " +
                   std::to_string(static_cast<int>(unit.Points[row][1] * 60)) + " s";
    };
    const window::TChartPicture picture = loggen::SamplePicture(unit);
    window::PaintChart(chart, canvas, &picture, pointText);

    if (const chart::TGraph* g = chart.Graph(1); g != nullptr && frames > 0) {
        const int x = g->PlotLeft + g->PlotWidth * 2 / 5;
        const int y = g->PlotBottom - g->PlotHeight / 2;
        chart.ChartMouseDown(chart::TMouseButton::Left, chart::LeftButton, x, y);
        chart.ChartMouseUp(chart::TMouseButton::Left, chart::ShiftKey, x, y);
    }
    if (!canvas.Image().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
