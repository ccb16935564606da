#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "window/window_seams.h"

namespace korvid::test {

// Its wait ends only when the test fires it.
struct TFakeTimer final : window::ITimer {
    std::function<void()> Handler;
    std::optional<int> Waiting; // milliseconds of the wait under way

    void OnTimeout(std::function<void()> handler) override { Handler = std::move(handler); }
    void Start(int milliseconds) override { Waiting = milliseconds; }
    void Stop() override { Waiting.reset(); }
    [[nodiscard]] bool IsActive() const override { return Waiting.has_value(); }
    // False when no wait was under way.
    bool Fire()
    {
        if (!Waiting)
            return false;
        Waiting.reset();
        Handler();
        return true;
    }
};

struct TFakeFileWatcher final : window::IFileWatcher {
    std::function<void()> Handler;
    std::vector<std::filesystem::path> Paths;

    void OnChange(std::function<void()> handler) override { Handler = std::move(handler); }
    void Watch(const std::vector<std::filesystem::path>& paths) override { Paths = paths; }
    // A change on disk; nothing is told while nothing is watched.
    void Fire() const
    {
        if (!Paths.empty())
            Handler();
    }
};

struct TFakeCloseRequests final : window::ICloseRequests {
    std::function<bool()> Close; // empty until the window listens
    void Listen(std::function<bool()> close) override { Close = std::move(close); }
};

} // namespace korvid::test
