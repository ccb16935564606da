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

bool TWU::ElapsedKnown() const
{
    const double start = StartDate();
    return start != 0 && (start >= 1) == (EndDate() >= 1);
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

namespace {

struct TCoreName {
    std::uint16_t Code;
    const char* Name;
    TCoreFamily Family;
};

// Named as the cores introduce themselves in the log, or as donors' forums call them.
constexpr TCoreName CoreNames[] = {
    {core::Tinker, "Tinker", TCoreFamily::Classic},
    {core::Gromacs, "Gromacs", TCoreFamily::Classic},
    {core::DoubleGromacs, "Double Gromacs", TCoreFamily::Classic},
    {core::GBGromacs, "GB Gromacs", TCoreFamily::Classic},
    {core::Amber, "Amber", TCoreFamily::Classic},
    {core::QMD, "QMD", TCoreFamily::Classic},
    {0x10, "GPU", TCoreFamily::Gpu},
    {0x11, "GPU2", TCoreFamily::Gpu},
    {0x12, "GPU2 ATI", TCoreFamily::Gpu},
    {0x13, "GPU2 ATI CAL", TCoreFamily::Gpu},
    {0x14, "GPU2 (MT)", TCoreFamily::Gpu},
    {0x15, "GPU3 OpenMM", TCoreFamily::Gpu},
    {0x16, "GPU3 OpenMM ATI", TCoreFamily::Gpu},
    {0x17, "OpenMM Zeta", TCoreFamily::Gpu},
    {0x18, "OpenMM 18", TCoreFamily::Gpu},
    {0x21, "OpenMM 21", TCoreFamily::Gpu},
    {0x22, "OpenMM 22", TCoreFamily::Gpu},
    {0x23, "OpenMM 23", TCoreFamily::Gpu},
    {0x24, "OpenMM 24", TCoreFamily::Gpu},
    {0xA0, "Gromacs 3.3", TCoreFamily::Cpu},
    {0xA1, "Gromacs SMP", TCoreFamily::Cpu},
    {0xA2, "Gromacs SMP2", TCoreFamily::Cpu},
    {0xA3, "Gromacs SMP A3", TCoreFamily::Cpu},
    {0xA4, "Gromacs A4", TCoreFamily::Cpu},
    {0xA5, "Gromacs A5", TCoreFamily::Cpu},
    {0xA6, "Gromacs A6", TCoreFamily::Cpu},
    {0xA7, "Gromacs A7", TCoreFamily::Cpu},
    {0xA8, "Gromacs A8", TCoreFamily::Cpu},
    {0xA9, "Gromacs A9", TCoreFamily::Cpu},
    {core::ProtoMol, "ProtoMol", TCoreFamily::Cpu},
};

const TCoreName* FindCore(std::uint16_t code)
{
    for (const TCoreName& entry : CoreNames)
        if (entry.Code == code)
            return &entry;
    return nullptr;
}

} // namespace

TCoreFamily CoreFamily(std::uint16_t code)
{
    const TCoreName* entry = FindCore(code);
    return entry == nullptr ? TCoreFamily::Unknown : entry->Family;
}

std::string CoreNameOf(std::uint16_t code)
{
    const TCoreName* entry = FindCore(code);
    return entry == nullptr ? "?" : entry->Name;
}

std::string TWU::CoreName() const
{
    return CoreNameOf(Core);
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
