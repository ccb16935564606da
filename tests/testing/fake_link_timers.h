#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "livenet/timer.h"

namespace korvid::test {

// Runs out only when the test fires it.
struct TFakeLinkTimer final : livenet::ITimer {
    std::function<void()> OnTimeout;
    std::optional<std::chrono::milliseconds> Running;
    void Start(std::chrono::milliseconds interval) override { Running = interval; }
    void Stop() override { Running.reset(); }
    void Fire()
    {
        Running.reset();
        OnTimeout();
    }
};

// Keeps every timer it made, in order; their owners outlive the test's use of them.
struct TFakeLinkTimers : livenet::ITimerFactory {
    std::vector<TFakeLinkTimer*> Made;
    [[nodiscard]] std::unique_ptr<livenet::ITimer>
    MakeTimer(std::function<void()> onTimeout) override
    {
        auto timer = std::make_unique<TFakeLinkTimer>();
        timer->OnTimeout = std::move(onTimeout);
        Made.push_back(timer.get());
        return timer;
    }
    // Every timer running now, once.
    void FireRunning()
    {
        std::vector<TFakeLinkTimer*> running;
        for (TFakeLinkTimer* timer : Made)
            if (timer->Running)
                running.push_back(timer);
        for (TFakeLinkTimer* timer : running)
            timer->Fire();
    }
};

} // namespace korvid::test
