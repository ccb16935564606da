// The window's Live page following a farm of simulated v8 clients: 50 clients with 4 units each,
// served by a child korvid-clientsim at a client's own pace, so that only the window runs on
// this process's account. The event loop's lateness (a 10 ms repeating timer) and the CPU time
// over the span are printed beside the same window following nobody, measured in the same run.
// korvid_bench_live_window [--quick] [--seconds S] [--clients N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "bench_util.h"
#include "bench_window.h"
#include "window/frm_main.h"
#include "window/live_model.h"
#include "window/qt_platform.h"

namespace {

using namespace korvid;
using Clock = std::chrono::steady_clock;

constexpr int TickMs = 10;
constexpr int UnitsPerClient = 4;
constexpr double MaxP99Ms = 50;
constexpr double MaxCpuPercent = 10;

struct TSpan {
    std::vector<double> LateMs; // per tick, sorted
    double CpuPercent = 0;      // of one core
    long CellUpdates = 0;       // the live table's changed ranges
    int UnitRows = 0;           // at the end
};

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    const auto at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1));
    return sorted[at];
}

void RunFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

window::TLiveModel& LiveModel(const window::TfrmMain& window)
{
    return dynamic_cast<window::TLiveModel&>(
        *window.findChild<QTableView*>(QStringLiteral("tvLive"))->model());
}

int UnitRows(const window::TLiveModel& model)
{
    int units = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const std::string& key = model.Row(row).Key;
        units += key.find(':') + 1 < key.size();
    }
    return units;
}

// The machines that show at least one unit, so far.
int MachinesWithUnits(const window::TLiveModel& model)
{
    int machines = 0;
    for (int row = 0; row + 1 < model.rowCount(); ++row) {
        const std::string& key = model.Row(row).Key;
        const std::string& next = model.Row(row + 1).Key;
        machines += key.back() == ':' && next.starts_with(key) && next.size() > key.size();
    }
    return machines;
}

// A 10 ms repeating timer: each tick's lateness is its gap from the tick before, past 10 ms.
class TLatencyProbe {
public:
    TLatencyProbe()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            const double gap = std::chrono::duration<double, std::milli>(now - m_last).count();
            m_lateMs.push_back(std::max(0.0, gap - TickMs));
            m_last = now;
        });
        m_cpuStart = CpuSeconds();
        m_start = m_last = Clock::now();
        m_tick.start(TickMs);
    }
    // The span's ticks, sorted, and its CPU.
    void Stop(TSpan& span)
    {
        m_tick.stop();
        const double wall = std::chrono::duration<double>(Clock::now() - m_start).count();
        span.CpuPercent = (CpuSeconds() - m_cpuStart) / wall * 100;
        span.LateMs = std::move(m_lateMs);
        std::sort(span.LateMs.begin(), span.LateMs.end());
    }

private:
    QTimer m_tick;
    Clock::time_point m_start, m_last;
    double m_cpuStart = 0;
    std::vector<double> m_lateMs;
};

TSpan Measure(double seconds, window::TLiveModel& model)
{
    TSpan span;
    long updates = 0;
    const auto counting =
        QObject::connect(&model, &QAbstractItemModel::dataChanged, [&updates] { ++updates; });
    TLatencyProbe probe;
    RunFor(seconds);
    probe.Stop(span);
    QObject::disconnect(counting);
    span.CellUpdates = updates;
    span.UnitRows = UnitRows(model);
    return span;
}

void ShowLivePage(window::TfrmMain& window)
{
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("pcPages"));
    pages->setCurrentWidget(window.findChild<QWidget*>(QStringLiteral("tsLive")));
}

void WriteSettings(const std::filesystem::path& folder, const std::string& clients)
{
    std::ofstream(folder / "Korvid.ini", std::ios::trunc)
        << "[General]\nAutoSaveHisto=0\nClients=" << clients << "\n";
}

double Option(int argc, char** argv, std::string_view name, double fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (argv[i] == name)
            return std::atof(argv[i + 1]);
    return fallback;
}

// Starts the farm; its ports, or none when it did not come up.
std::vector<int> StartFarm(QProcess& farm, int clients)
{
    // A unit of an hour writes a frame every 36 s, nearer a real core's minutes than the
    // simulator's default; the warm-up leaves each unit well into its frames, some paused.
    farm.start(QStringLiteral(KORVID_CLIENTSIM),
               {QStringLiteral("--clients"), QString::number(clients), QStringLiteral("--groups"),
                QString::number(UnitsPerClient), QStringLiteral("--unit-seconds"),
                QStringLiteral("3600"), QStringLiteral("--warm-up"), QStringLiteral("1200")});
    std::vector<int> ports;
    const QDeadlineTimer bound(std::chrono::seconds(30));
    while (static_cast<int>(ports.size()) < clients && !bound.hasExpired()) {
        if (!farm.canReadLine() && !farm.waitForReadyRead(1000)) {
            if (farm.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (farm.canReadLine())
            ports.push_back(farm.readLine().trimmed().toInt());
    }
    if (static_cast<int>(ports.size()) < clients)
        ports.clear();
    return ports;
}

void PrintLine(const char* what, double farm, double idle, const char* unit, double target)
{
    std::printf("%-30s farm %8.2f %-2s  idle %8.2f %-2s", what, farm, unit, idle, unit);
    if (target > 0)
        std::printf("  (<= %g %s)  %s", target, unit, farm <= target ? "ok" : "MISSED");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = bench::QuickRun(argc, argv);
    const double seconds = Option(argc, argv, "--seconds", quick ? 5 : 20);
    const int clients = static_cast<int>(Option(argc, argv, "--clients", 50));
    bench::PaintOffScreen();
    qInstallMessageHandler(bench::QuietHandler);
    QApplication application(argc, argv);

    bench::TBenchWindow bench("korvid-bench-live");
    const std::filesystem::path& folder = bench.Folder();
    const window::TWindowSeams seams = bench.Seams();

    QProcess farm;
    farm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::vector<int> ports = StartFarm(farm, clients);
    if (ports.empty()) {
        std::fprintf(stderr, "live window bench: %s did not serve %d clients\n", KORVID_CLIENTSIM,
                     clients);
        return 1;
    }

    TSpan idle;
    {
        WriteSettings(folder, "");
        window::TfrmMain window(seams);
        window.FormCreate();
        ShowLivePage(window);
        RunFor(1);
        idle = Measure(seconds, LiveModel(window));
        window.close();
    }
    TSpan busy;
    TSpan arrival; // from the window's start until every machine shows its units
    double connecting = 0;
    int shown = 0; // machines with units when the wait for them ended
    {
        std::string list;
        for (const int port : ports)
            list += "127.0.0.1:" + std::to_string(port) + ";";
        WriteSettings(folder, list);
        window::TfrmMain window(seams);
        window.FormCreate();
        ShowLivePage(window);
        window::TLiveModel& model = LiveModel(window);
        // Every machine connected and its first log read before the span begins.
        TLatencyProbe probe;
        const Clock::time_point start = Clock::now();
        const QDeadlineTimer bound(std::chrono::seconds(60));
        while (MachinesWithUnits(model) < clients && !bound.hasExpired())
            RunFor(0.1);
        connecting = std::chrono::duration<double>(Clock::now() - start).count();
        shown = MachinesWithUnits(model);
        probe.Stop(arrival);
        RunFor(2);
        busy = Measure(seconds, model);
        window.close();
    }
    farm.terminate();
    farm.waitForFinished(5000);

    std::printf("Live page: %d clients, %d unit rows shown, %.0f cell updates/s; %g s a phase\n",
                clients, busy.UnitRows, static_cast<double>(busy.CellUpdates) / seconds, seconds);
    PrintLine("Event-loop lateness p50", Percentile(busy.LateMs, 0.5), Percentile(idle.LateMs, 0.5),
              "ms", 0);
    PrintLine("Event-loop lateness p99", Percentile(busy.LateMs, 0.99),
              Percentile(idle.LateMs, 0.99), "ms", MaxP99Ms);
    PrintLine("Event-loop lateness max", busy.LateMs.empty() ? 0 : busy.LateMs.back(),
              idle.LateMs.empty() ? 0 : idle.LateMs.back(), "ms", 0);
    PrintLine("CPU, % of one core", busy.CpuPercent, idle.CpuPercent, "%", MaxCpuPercent);
    std::printf("%-30s %.2f s, lateness max %.2f ms, CPU %.1f %%%s\n", "All machines shown after",
                connecting, arrival.LateMs.empty() ? 0 : arrival.LateMs.back(), arrival.CpuPercent,
                shown < clients ? "  (not all: gave up)" : "");
    // A farm that never reached the page would make a fine-looking result of nothing.
    if (busy.UnitRows < clients * UnitsPerClient / 2) {
        std::fprintf(stderr, "live window bench: only %d unit rows shown\n", busy.UnitRows);
        return 1;
    }
    return 0;
}
