#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace korvid::livenet {

// A single-shot timer: Start runs it anew, Stop forgets it. The callback runs from the event
// loop, never from inside Start or Stop.
struct ITimer {
    virtual ~ITimer() = default;
    virtual void Start(std::chrono::milliseconds interval) = 0;
    virtual void Stop() = 0;
};

struct ITimerFactory {
    virtual ~ITimerFactory() = default;
    [[nodiscard]] virtual std::unique_ptr<ITimer> MakeTimer(std::function<void()> onTimeout) = 0;
};

} // namespace korvid::livenet
