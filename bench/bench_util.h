#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::bench {

// The short run ctest makes: "--quick" among the arguments.
inline bool QuickRun(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--quick")
            return true;
    return false;
}

// Qt benchmarks paint off screen unless the caller chose a platform; call before QApplication.
inline void PaintOffScreen()
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// Median wall time of several runs, in seconds.
inline double MedianSeconds(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One result line: what, ours, the reference, their ratio and the target it should meet.
inline void Report(const std::string& what, double ours, double reference, double target,
                   const char* unit = "s")
{
    const double ratio = reference > 0 ? ours / reference : 0;
    std::printf("%-36s ours %9.4f %s  ref %9.4f %s  ratio %5.2f  (<= %.1f)%s\n", what.c_str(), ours,
                unit, reference, unit, ratio, target, ratio <= target ? "" : "  MISSED");
    std::fflush(stdout);
}

} // namespace korvid::bench
