#include "workunits/eta.h"

#include <algorithm>
#include <cmath>

namespace korvid::workunits {

std::optional<TEta> EstimateEnd(const TWU& wu, double now)
{
    if (wu.Steps.Empty() || !wu.ShutdownLine.empty())
        return std::nullopt;
    const int left = wu.FramesExpected - wu.Steps.Back().Frame;
    if (left <= 0 || wu.Steps.Back().Frame < 0)
        return std::nullopt;
    const TBenchmark benchmark = wu.Benchmark();
    if (benchmark.Kept == 0 || !(benchmark.Average > 0))
        return std::nullopt;
    TEta eta;
    eta.FramesLeft = left;
    const double fromLastFrame = static_cast<double>(left) * benchmark.Average;
    eta.ExpectedEnd = wu.Steps.Back().Date + fromLastFrame / 86400.0;
    // Whole seconds: a difference of day fractions carries noise that would show as 59 s.
    eta.RemainingSeconds = std::max(0.0, std::round((eta.ExpectedEnd - now) * 86400.0));
    return eta;
}

} // namespace korvid::workunits
