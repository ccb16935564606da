#pragma once

#include "livenet/timer.h"

namespace korvid::livenet {

struct TQtTimerFactory final : ITimerFactory {
    [[nodiscard]] std::unique_ptr<ITimer> MakeTimer(std::function<void()> onTimeout) override;
};

} // namespace korvid::livenet
