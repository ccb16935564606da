#include "workunits/wu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "util/date_time.h"

namespace korvid::workunits {

void TWU::SetCore(std::uint16_t code)
{
    Core = code;
    if (code != core::Tinker)
        FramesExpected = 100;
}

double TWU::StartDate() const
{
    return Steps.Empty() ? StartTime : Steps.Front().PrevDate;
}

double TWU::EndDate() const
{
    return Steps.Empty() ? EndTime : Steps.Back().Date;
}

int TWU::ElapsedSeconds() const
{
    return util::SecondsBetween(StartDate(), EndDate());
}

// A core other than Tinker logs 0 percent when it starts: that step is no frame of work.
bool TWU::HasLeadingFrameZero() const
{
    return Core != core::Tinker && !Steps.Empty() && Steps.Front().Frame == 0;
}

int TWU::CalculationSeconds() const
{
    std::int64_t sum = 0;
    for (auto it = Steps.begin() + (HasLeadingFrameZero() ? 1 : 0); it != Steps.end(); ++it)
        sum += it->Duration;
    return static_cast<int>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
}

int TWU::FoldedFrames() const
{
    return static_cast<int>(Steps.Count()) - (HasLeadingFrameZero() ? 1 : 0);
}

int TWU::MaxDuration() const
{
    int longest = 0;
    for (const TStep& step : Steps)
        longest = std::max(longest, step.Duration);
    return longest;
}

const TStep* TWU::FindStep(int frame) const
{
    const auto found = std::find_if(Steps.begin(), Steps.end(),
                                    [frame](const TStep& step) { return step.Frame == frame; });
    return found == Steps.end() ? nullptr : &*found;
}

std::string TWU::CoreName() const
{
    switch (Core) {
    case core::Tinker:
        return "Tinker";
    case core::Gromacs:
        return "Gromacs";
    case core::DoubleGromacs:
        return "Double Gromacs";
    case core::GBGromacs:
        return "GB Gromacs";
    case core::Amber:
        return "Amber";
    case core::QMD:
        return "QMD";
    default:
        return "?";
    }
}

// The outlier loop drops, one per pass, the farther of the shortest and the longest frame while
// it lies more than 15 % from the average. Only the values matter to that loop, so it runs on
// the sorted durations from both ends: n log n however many frames a unit has. The sum is kept
// exact; a running single-precision sum gives the same average until it passes 2^24 seconds.
TBenchmark TWU::Benchmark() const
{
    std::ptrdiff_t first = 0;
    int expected = FramesExpected;
    if (Core != core::Tinker) {
        if (HasLeadingFrameZero())
            first = 1;
        std::ptrdiff_t converged = -1;
        for (std::ptrdiff_t i = first; i < Steps.Count(); ++i)
            if (Steps.Items(i)->ConvergedAfter) {
                converged = i - first;
                break;
            }
        if (converged >= 1) {
            // The wave-function phase and the first frame after it are no benchmark.
            const std::ptrdiff_t drop = std::min(converged + 2, Steps.Count() - first);
            first += drop;
            expected -= static_cast<int>(drop);
        }
    }

    std::vector<int> durations;
    durations.reserve(static_cast<std::size_t>(Steps.Count() - first));
    for (auto it = Steps.begin() + first; it != Steps.end(); ++it)
        durations.push_back(it->Duration);
    std::sort(durations.begin(), durations.end());

    std::size_t lo = 0;
    std::size_t hi = durations.size();
    std::int64_t sum = std::accumulate(durations.begin(), durations.end(), std::int64_t{0});
    float average = 0;
    while (lo < hi) {
        const auto count = static_cast<double>(hi - lo);
        average = static_cast<float>(static_cast<double>(static_cast<float>(sum)) / count);
        if (average == 0)
            break; // every frame took 0 s: nothing to compare with
        const double a = average;
        const int shortest = durations[lo];
        const int longest = durations[hi - 1];
        const auto ds = static_cast<float>(std::fabs(shortest - a) / a);
        if (shortest == longest) {
            // One step is both the shortest and the longest.
            if (ds > 0.15F) {
                sum -= durations[lo++];
                continue;
            }
            break;
        }
        const auto dl = static_cast<float>(std::fabs(longest - a) / a);
        if (ds > dl && ds > 0.15F)
            sum -= durations[lo++];
        else if (dl > ds && dl > 0.15F)
            sum -= durations[--hi];
        else
            break;
    }
    if (lo == hi)
        average = 0;

    TBenchmark result;
    result.Kept = static_cast<int>(hi - lo);
    result.Average = average;
    result.Validity = expected > 0
                          ? static_cast<float>(result.Kept / static_cast<double>(expected) * 100.0)
                          : 0.0F;
    return result;
}

} // namespace korvid::workunits
