// The window's start-up against the core's load of the same two files (Korvid.dat and the last
// log), and FillTree of a 3,000-unit history against its budget. Offscreen unless a platform is
// set. korvid_bench_window [--quick]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QTreeWidget>

#include "bench_util.h"
#include "bench_window.h"
#include "history/compressed_text.h"
#include "history/history.h"
#include "log_generator.h"
#include "util/date_time.h"
#include "window/frm_main.h"
#include "window/qt_platform.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace {

using namespace korvid;
using Clock = std::chrono::steady_clock;

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Units of the log first, as a user's history holds them, then older ones, up to the limit.
std::string HistoryText(const workunits::TWUs& logUnits, std::size_t limit,
                        const util::IClock& clock)
{
    loggen::TLogOptions older;
    older.Seed = 99;
    older.StartYear = 2024;
    older.Units = loggen::UnitsForBytes(limit * 3, older);
    workunits::TWUs olderUnits;
    olderUnits.ReadLog(loggen::GenerateLog(older), "/old/FAHlog.txt", clock);
    std::string text;
    for (const workunits::TWUs* wus : {&logUnits, static_cast<const workunits::TWUs*>(&olderUnits)})
        for (std::ptrdiff_t i = 0; i < wus->Count(); ++i) {
            const std::string_view unit = wus->Items(i)->Text;
            if (text.size() + unit.size() > limit)
                return text;
            text += unit;
        }
    return text;
}

struct TStartTimes {
    double FirstPaint = 0; // the window drawn, before the log is read
    double Whole = 0;      // the log read, the trees filled and the window painted again
};

// Notes when the first paint event of the run reaches a widget of the window.
class TPaintWatch final : public QObject {
public:
    std::optional<Clock::time_point> First;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!First && event->type() == QEvent::Paint)
            First = Clock::now();
        return QObject::eventFilter(watched, event);
    }
};

TStartTimes TimeStart(const window::TWindowSeams& seams)
{
    TPaintWatch watch;
    qApp->installEventFilter(&watch);
    const auto start = Clock::now();
    TStartTimes times;
    {
        window::TfrmMain window(seams);
        window.FormCreate();
        window.repaint();
        times.Whole = std::chrono::duration<double>(Clock::now() - start).count();
        window.close();
    }
    qApp->removeEventFilter(&watch);
    if (watch.First)
        times.FirstPaint = std::chrono::duration<double>(*watch.First - start).count();
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    bench::PaintOffScreen();
    qInstallMessageHandler(bench::QuietHandler);
    QApplication application(argc, argv);

    const std::size_t logBytes = quick ? (std::size_t{1} << 20) : 50'000'000;
    const std::size_t histoBytes = quick ? (std::size_t{256} << 10) : std::size_t{16} << 20;
    const int treeUnits = quick ? 300 : 3000;
    const int runs = quick ? 1 : 5;

    bench::TBenchWindow bench("korvid-bench-window");
    const std::filesystem::path& folder = bench.Folder();
    const window::TQtClock& clock = bench.Clock();
    const window::TWindowSeams seams = bench.Seams();

    loggen::TLogOptions options;
    options.Seed = 11;
    options.StartYear = 2026;
    options.Units = loggen::UnitsForBytes(logBytes, options);
    const auto logPath = folder / "FAHlog.txt";
    WriteFile(logPath, loggen::GenerateLog(options));
    workunits::TWUs logUnits;
    logUnits.ReadLog(workunits::ReadFahLogText(logPath), logPath.string(), clock);
    const std::string histoText = HistoryText(logUnits, histoBytes, clock);
    history::SaveCompressedText(histoText, folder / "Korvid.dat");
    // The history is saved by the benchmark only.
    auto settings = [&](bool autoAdd) {
        WriteFile(folder / "Korvid.ini",
                  "[General]\nLastFahLog=" + logPath.string() +
                      "\nAutoSaveHisto=0\nAutoAddToHisto=" + (autoAdd ? "1" : "0") + "\n");
    };

    std::ptrdiff_t histoUnits = 0;
    const double reference = bench::MedianSeconds(runs, [&] {
        workunits::TWUs histo;
        (void)history::LoadHistoUnits(folder / "Korvid.dat", histo, clock);
        workunits::TWUs log;
        log.ReadLog(workunits::ReadFahLogText(logPath), logPath.string(), clock);
        histoUnits = histo.Count();
    });
    auto medianStart = [&] {
        std::vector<double> firsts;
        const double whole = bench::MedianSeconds(runs, [&] {
            const TStartTimes times = TimeStart(seams);
            firsts.push_back(times.FirstPaint);
        });
        std::sort(firsts.begin(), firsts.end());
        return TStartTimes{firsts[firsts.size() / 2], whole};
    };
    // As configured by default: the log's complete units the history lacks are added too.
    settings(true);
    const TStartTimes adding = medianStart();
    settings(false);
    const TStartTimes plain = medianStart();

    std::printf("%zu MiB history (%td WUs), %zu MB log (%td WUs)\n", histoText.size() >> 20,
                histoUnits, logBytes / 1'000'000, logUnits.Count());
    bench::Report("Start-up to first paint vs core load", adding.FirstPaint, reference, 1.5);
    bench::Report("Start-up, log shown, vs core load", adding.Whole, reference, 1.5);
    bench::Report("  the same without AutoAddToHisto", plain.Whole, reference, 1.5);
    std::printf("%-36s ours %9.4f s  (<= 1.5 s)%s\n", "Start-up, log shown, absolute", adding.Whole,
                adding.Whole <= 1.5 ? "" : "  MISSED");

    if (!quick) {
        // Years of units: a 256 MiB history must still let the window appear soon. Once only,
        // it is slow to make.
        const std::string large = HistoryText(logUnits, std::size_t{256} << 20, clock);
        history::SaveCompressedText(large, folder / "Korvid.dat");
        settings(false);
        const TStartTimes times = TimeStart(seams);
        const std::string what =
            "Start-up to first paint, " + std::to_string(large.size() >> 20) + " MiB history";
        std::printf("%-36s ours %9.4f s  (<= 3 s)%s\n", what.c_str(), times.FirstPaint,
                    times.FirstPaint <= 3.0 ? "" : "  MISSED");
        std::printf("%-36s ours %9.4f s\n", "  history and log shown", times.Whole);
    }

    // FillTree: both trees rebuilt by a change of grouping, the log empty, the history full.
    loggen::TLogOptions treeOptions;
    treeOptions.Seed = 5;
    treeOptions.Units = treeUnits;
    treeOptions.FramesPerUnit = 20;
    workunits::TWUs treeWUs;
    treeWUs.ReadLog(loggen::GenerateLog(treeOptions), "/logs/FAHlog.txt", clock);
    history::SaveCompressedText(treeWUs.AllText(), folder / "Korvid.dat");
    WriteFile(folder / "Korvid.ini", "[General]\nAutoSaveHisto=0\n");
    {
        window::TfrmMain window(seams);
        window.FormCreate();
        auto* byProject = window.findChild<QAction*>(QStringLiteral("mnuSortByProject"));
        auto* byDate = window.findChild<QAction*>(QStringLiteral("mnuSortByDate"));
        bool date = false;
        const double fill = bench::MedianSeconds(runs * 2, [&] {
            (date ? byProject : byDate)->trigger();
            date = !date;
        });
        // A fast fill that lost units would be no result.
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvHisto"));
        std::ptrdiff_t shown = 0;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            shown += tree->topLevelItem(i)->childCount();
        if (shown != treeWUs.Count() || window.WUsHisto().Count() != treeWUs.Count()) {
            std::fprintf(stderr, "FillTree shows %td of %td WUs\n", shown, treeWUs.Count());
            return 1;
        }
        std::printf("%-36s ours %9.4f s  (<= 0.100 s)%s\n",
                    ("FillTree " + std::to_string(window.WUsHisto().Count()) + " WUs").c_str(),
                    fill, fill <= 0.1 ? "" : "  MISSED");
        window.close();
    }
    return 0;
}
