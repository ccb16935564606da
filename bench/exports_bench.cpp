// Saves the chart of every unit of a generated log as PNG through the export, the way the window
// does it (show the unit, copy the chart, write the file), against rendering the same charts off
// screen and encoding them with our writer in memory.
// korvid_bench_exports [--quick]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>

#include "bench_util.h"
#include "log_generator.h"
#include "png/png_writer.h"
#include "translation/french_defaults.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "window/chart_view.h"
#include "window/chart_widget.h"
#include "window/exports.h"
#include "window/qt_canvas.h"
#include "workunits/wus.h"

namespace {

using namespace korvid;

struct TFolder final : util::IProgramFolder {
    std::filesystem::path Folder;
    [[nodiscard]] std::filesystem::path Path() const override { return Folder; }
};

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    bench::PaintOffScreen();
    QApplication application(argc, argv);

    loggen::TLogOptions options;
    options.Seed = 11;
    options.Units = quick ? 4 : 500;
    const util::TSystemClock clock;
    workunits::TWUs wus;
    (void)wus.ReadLog(loggen::GenerateLog(options), "/fah/FAHlog.txt", clock);
    std::vector<const workunits::TWU*> order;
    for (std::ptrdiff_t i = 0; i < wus.Count(); ++i)
        order.push_back(wus.Items(i));
    const int runs = quick ? 1 : 3;
    const QSize size(800, 500);

    translation::TTranslation catalogue("Korvid");
    catalogue.SetDefaults(translation::FrenchDefaults());
    const util::TFixedRegionalSettings regional;
    TFolder program;
    std::string folder =
        (std::filesystem::temp_directory_path() / "korvid-bench-exports-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    program.Folder = folder;

    window::TChartWidget widget(catalogue, regional);
    widget.resize(size);
    widget.show();
    QApplication::processEvents();
    const window::TExports exports(program, catalogue, regional);

    window::TChartView view(catalogue, regional);
    chart::TNoCursor cursor;
    chart::TChart chart(cursor);
    window::TQtCanvas canvas(size);
    const double ref = bench::MedianSeconds(runs, [&] {
        for (const workunits::TWU* wu : order) {
            view.BuildPoints(wu);
            chart.ChartResetZoom(0);
            view.Paint(chart, canvas);
            (void)png::EncodePng(window::ToPngImage(canvas.Image()), png::TFilterMode::None, true);
        }
    });
    int written = 0;
    const double ours = bench::MedianSeconds(
        runs, [&] { written = exports.SaveGraphsPng(widget, order, false).Written; });
    std::filesystem::remove_all(program.Folder);

    bench::Report("SaveGraphsPng " + std::to_string(written) + " units 800x500", ours, ref, 2.0);
    return 0;
}
