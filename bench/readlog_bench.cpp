// ReadLog against grep -c -i -F with the filter's literals over the same file, 1x against 2x
// input, and korvid-inspect end to end with its peak memory; then a v7 log.txt of as many bytes,
// three slots interleaved, against grep -c -F with the literals of the lines its reader uses, and
// against the v6 reader per MB. Logs are read as the window and korvid-inspect read them, giving
// the log's pages back behind the reader.
// korvid_bench_readlog [--quick] [--mb N] [--runs N]
//                      [--readers: only ReadLog v6 against v7, each run shown]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_util.h"
#include "log_generator.h"
#include "util/platform.h"
#include "workunits/log_files.h"
#include "workunits/wus.h"

namespace {

using namespace korvid;

std::filesystem::path WriteLog(const std::filesystem::path& folder, std::size_t bytes,
                               std::uint64_t seed, loggen::TDialect dialect = loggen::TDialect::V6)
{
    loggen::TLogOptions options;
    options.Seed = seed;
    options.HighBytes = true;
    options.Dialect = dialect;
    options.Units = loggen::UnitsForBytes(bytes, options);
    const char* name = dialect == loggen::TDialect::V6 ? "FAHlog-" : "log-";
    const auto path = folder / (name + std::to_string(bytes >> 20) + "MB.txt");
    const std::string log = loggen::GenerateLog(options);
    std::ofstream(path, std::ios::binary)
        .write(log.data(), static_cast<std::streamsize>(log.size()));
    return path;
}

double Megabytes(const std::filesystem::path& path)
{
    return static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
}

double TimeReadLog(const std::filesystem::path& path, int runs, std::ptrdiff_t& units)
{
    const util::TSystemClock clock;
    return bench::MedianSeconds(runs, [&] {
        workunits::TWUs wus;
        wus.ReadLogFreeing(workunits::ReadFahLogText(path), path.string(), clock);
        units = wus.Count();
    });
}

// Each run in a fresh child process, as a user's first load of a log: the memory the units take
// is faulted in anew every time.
double TimeReadLogCold(const std::filesystem::path& path, int runs)
{
    return bench::MedianSeconds(runs, [&] {
        const pid_t child = fork();
        if (child == 0) {
            const util::TSystemClock clock;
            workunits::TWUs wus;
            wus.ReadLogFreeing(workunits::ReadFahLogText(path), path.string(), clock);
            _exit(wus.Count() > 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
    });
}

double TimeGrep(const std::filesystem::path& path, int runs, bool client = false)
{
    static const std::vector<const char*> clientLiterals = {
        "Completed ", "Project: ", "Received ",   "Starting",    "Running ", "FahCore 0x",
        "returned",   "Type: 0x",  "Log Started", "Log Rotated", "Date: "};
    static const std::vector<const char*> literals = {" steps ",
                                                      "Finished a frame (",
                                                      "Core required",
                                                      "Got a SIGTERM Signal",
                                                      "Working on unit",
                                                      "Folding@Home",
                                                      "Folding@Home Client Shutdown",
                                                      "- User name",
                                                      "- User ID",
                                                      "- Machine ID",
                                                      "- FahLog Path",
                                                      "Project: ",
                                                      "Protein: ",
                                                      "- Run: ",
                                                      "- Frames Completed: ",
                                                      "TINKER: ",
                                                      "System: ",
                                                      "WF converged, jumping to MD",
                                                      "Working on queue slot",
                                                      "--- Opening Log file",
                                                      "] Completed "};
    std::string command = client ? "LC_ALL=C grep -c -F" : "LC_ALL=C grep -c -i -F";
    for (const char* literal : client ? clientLiterals : literals)
        command += std::string(" -e '") + literal + "'";
    // Not /dev/null: GNU grep stops at the first match when nobody reads its output.
    command += " '" + path.string() + "' > '" + path.string() + ".count'";
    return bench::MedianSeconds(runs, [&] {
        const int status = std::system(command.c_str());
        if (status != 0)
            std::fprintf(stderr, "grep failed (%d): %s\n", status, command.c_str());
    });
}

// The v6 and the v7 reader over logs of as many bytes, run after run alternately so that both
// see the same machine; every run printed for the spread.
int CompareReaders(const std::filesystem::path& folder, std::size_t megabytes, int runs)
{
    const auto v6 = WriteLog(folder, megabytes << 20, 7);
    const auto v7 = WriteLog(folder, megabytes << 20, 7, loggen::TDialect::V7);
    struct TRun {
        double Wall = 0, User = 0, System = 0;
        long Faults = 0;
    };
    // Processor time beside the wall time: on a shared machine the wall time mostly tells the
    // others' load. System time is mostly the kernel zeroing the fresh pages a read fills.
    auto timed = [](const std::filesystem::path& path, std::ptrdiff_t& units) {
        auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
        };
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        TRun run;
        run.Wall = TimeReadLog(path, 1, units);
        getrusage(RUSAGE_SELF, &after);
        run.User = seconds(after.ru_utime) - seconds(before.ru_utime);
        run.System = seconds(after.ru_stime) - seconds(before.ru_stime);
        run.Faults = after.ru_minflt - before.ru_minflt;
        return run;
    };
    std::ptrdiff_t units6 = 0, units7 = 0;
    // The first read of a process pays for reading the file and growing the heap: not counted.
    TimeReadLog(v6, 1, units6);
    TimeReadLog(v7, 1, units7);
    std::vector<TRun> runs6, runs7;
    for (int i = 0; i < runs; ++i) {
        runs6.push_back(timed(v6, units6));
        runs7.push_back(timed(v7, units7));
        for (const auto& [name, run] :
             {std::pair{"v6", runs6.back()}, std::pair{"v7", runs7.back()}})
            std::printf("run %d %s: %.3f s, user %.3f, system %.3f, %ld faults\n", i + 1, name,
                        run.Wall, run.User, run.System, run.Faults);
    }
    auto median = [](const std::vector<TRun>& all, double TRun::*field) {
        std::vector<double> values;
        for (const TRun& run : all)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    // Seconds per MB of each file: the two logs differ a little in size.
    const double mb6 = Megabytes(v6);
    const double mb7 = Megabytes(v7);
    const std::string size = std::to_string(megabytes) + " MB";
    bench::Report("ReadLog v7 " + size + " (" + std::to_string(units7) + ") vs v6 (" +
                      std::to_string(units6) + ") per MB",
                  median(runs7, &TRun::Wall) / mb7, median(runs6, &TRun::Wall) / mb6, 1.0, "s/MB");
    // Load and the kernel only ever add time: the fastest runs are the readers' own pace.
    auto fastest = [](const std::vector<TRun>& all) {
        double best = all.front().Wall;
        for (const TRun& run : all)
            best = std::min(best, run.Wall);
        return best;
    };
    bench::Report("ReadLog v7 vs v6 per MB, fastest runs", fastest(runs7) / mb7,
                  fastest(runs6) / mb6, 1.0, "s/MB");
    bench::Report("ReadLog v7 vs v6 user time per MB", median(runs7, &TRun::User) / mb7,
                  median(runs6, &TRun::User) / mb6, 1.0, "s/MB");
    // No target: on a shared virtual machine some runs of either reader pay a fifth of a second
    // more for the pages the kernel hands out, whichever reader it is.
    std::printf("system time per MB, medians: v7 %.4f s, v6 %.4f s\n",
                median(runs7, &TRun::System) / mb7, median(runs6, &TRun::System) / mb6);
    if (std::getenv("KORVID_BENCH_KEEP") == nullptr)
        std::filesystem::remove_all(folder);
    return 0;
}

#ifdef KORVID_INSPECT
struct TInspectRun {
    double Seconds = 0;
    double PeakMegabytes = 0; // the largest of the runs, as /usr/bin/time -v tells it; 0 without
};

// korvid-inspect as a donor runs it, its JSON written to a file.
TInspectRun TimeInspect(const std::filesystem::path& path, int runs)
{
    TInspectRun result;
    const std::string report = path.string() + ".time";
    const bool timed = ::access("/usr/bin/time", X_OK) == 0; // bench/run installs it
    const std::string command = (timed ? "/usr/bin/time -v -o '" + report + "' " : "") + "'" +
                                KORVID_INSPECT + "' '" + path.string() + "' > '" + path.string() +
                                ".json'";
    result.Seconds = bench::MedianSeconds(runs, [&] {
        const int status = std::system(command.c_str());
        if (status != 0)
            std::fprintf(stderr, "korvid-inspect failed (%d): %s\n", status, command.c_str());
        std::ifstream in(report);
        const std::string key = "Maximum resident set size (kbytes): ";
        for (std::string line; std::getline(in, line);)
            if (const auto at = line.find(key); at != std::string::npos)
                result.PeakMegabytes =
                    std::max(result.PeakMegabytes, std::stod(line.substr(at + key.size())) / 1024);
    });
    return result;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    std::size_t megabytes = 200;
    int runs = 3;
    bool readersOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            megabytes = 2;
            runs = 1;
        } else if (arg == "--readers") {
            readersOnly = true;
        } else if (arg == "--mb" && i + 1 < argc) {
            megabytes = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        }
    }
    // Of this process alone: benchmarks of other checkouts may run at the same time.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("korvid-bench-readlog-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    if (readersOnly)
        return CompareReaders(folder, megabytes, runs);
    const auto one = WriteLog(folder, megabytes << 20, 7);
    const auto two = WriteLog(folder, (2 * megabytes) << 20, 7);

    std::ptrdiff_t units = 0;
    const double ours = TimeReadLog(one, runs, units);
    const double grep = TimeGrep(one, runs);
    const double cold = TimeReadLogCold(one, runs);
    const double cold2 = TimeReadLogCold(two, runs);
#ifdef KORVID_INSPECT
    const TInspectRun inspect = TimeInspect(one, runs);
    const double fileMegabytes = Megabytes(one);
#endif
    const std::string size = std::to_string(megabytes) + " MB";
    const std::string size2 = std::to_string(2 * megabytes) + " MB";
    bench::Report("ReadLog " + size + " (" + std::to_string(units) + " units) vs grep", ours, grep,
                  2.0);
    bench::Report("ReadLog " + size + " fresh process vs grep", cold, grep, 1.5);
    bench::Report("ReadLog " + size2 + " vs " + size + ", fresh processes", cold2, cold, 2.1);
#ifdef KORVID_INSPECT
    bench::Report("korvid-inspect " + size + " > file vs grep", inspect.Seconds, grep, 3.0);
    // What the JSON costs: the end-to-end time less a fresh process's reading.
    bench::Report("korvid-inspect writing vs reading", inspect.Seconds - cold, cold, 1.0);
    if (inspect.PeakMegabytes > 0)
        bench::Report("korvid-inspect peak RSS vs file size", inspect.PeakMegabytes, fileMegabytes,
                      1.5, "MB");
#endif

    const auto client = WriteLog(folder, megabytes << 20, 7, loggen::TDialect::V7);
    std::ptrdiff_t clientUnits = 0;
    const double oursClient = TimeReadLog(client, runs, clientUnits);
    const double grepClient = TimeGrep(client, runs, true);
    bench::Report("ReadLog v7 " + size + " (" + std::to_string(clientUnits) + " units) vs grep",
                  oursClient, grepClient, 2.0);
    bench::Report("ReadLog v7 vs v6 per MB", oursClient / Megabytes(client), ours / Megabytes(one),
                  1.0, "s/MB");
    if (std::getenv("KORVID_BENCH_KEEP") == nullptr)
        std::filesystem::remove_all(folder);
    return 0;
}
