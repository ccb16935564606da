#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include <QFileSystemWatcher>
#include <QTimer>

#include "window/window_seams.h"

namespace korvid::window {

class TQtTimer final : public ITimer {
public:
    TQtTimer();
    void OnTimeout(std::function<void()> handler) override;
    void Start(int milliseconds) override;
    void Stop() override { m_timer.stop(); }
    [[nodiscard]] bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class TQtFileWatcher final : public IFileWatcher {
public:
    void OnChange(std::function<void()> handler) override;
    void Watch(const std::vector<std::filesystem::path>& paths) override;

private:
    QFileSystemWatcher m_watcher;
};

} // namespace korvid::window
