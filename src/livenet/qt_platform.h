#pragma once

#include "livenet/timer.h"
#include "util/platform.h"

namespace korvid::livenet {

// The v8 client writes its times in UTC, so its units are seen against a UTC clock.
struct TQtUtcClock final : util::IClock {
    [[nodiscard]] double Now() const override;
};

struct TQtTimerFactory final : ITimerFactory {
    [[nodiscard]] std::unique_ptr<ITimer> MakeTimer(std::function<void()> onTimeout) override;
};

} // namespace korvid::livenet
