#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
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

// SIGTERM, SIGINT and SIGHUP, and the session manager's request to save, close the window. One
// at a time in a process: the signal handlers are the process's own.
class TQtCloseRequests final : public ICloseRequests {
public:
    // Needs the application object; signals are caught from here on. Without a socket pair for
    // them, only the session's end is heard.
    TQtCloseRequests();
    ~TQtCloseRequests() override;
    TQtCloseRequests(const TQtCloseRequests&) = delete;
    TQtCloseRequests& operator=(const TQtCloseRequests&) = delete;
    void Listen(std::function<bool()> close) override;

private:
    void Drain();
    // False when the window stays open, or a close is already under way.
    bool Close();

    // A signal handler may only write to a descriptor: the event loop reads the other end.
    std::array<int, 2> m_pair{-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    QObject m_context;
    std::function<bool()> m_close;
    bool m_closing = false;
};

} // namespace korvid::window
