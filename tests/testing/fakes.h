#pragma once

#include "util/date_time.h"
#include "util/platform.h"

namespace korvid::test {

// A fixed instant the test moves when it matters.
struct TFakeClock final : util::IClock {
    double Value = *util::EncodeDate(2026, 12, 6) + 0.5; // 2026-12-06 12:00
    [[nodiscard]] double Now() const override { return Value; }
};

// Day d of month m of year y at hh:mm:ss, for expectations.
inline double At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return *util::EncodeDate(y, m, d) + *util::EncodeTime(hh, mm, ss);
}

} // namespace korvid::test
