#include "window/qt_event_sources.h"

#include <utility>

#include <QStringList>

#include "window/qt_platform.h"

namespace korvid::window {
TQtTimer::TQtTimer()
{
    m_timer.setSingleShot(true);
}

void TQtTimer::OnTimeout(std::function<void()> handler)
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(handler));
}

void TQtTimer::Start(int milliseconds)
{
    m_timer.start(milliseconds);
}

void TQtFileWatcher::OnChange(std::function<void()> handler)
{
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_watcher,
                     [handler] { handler(); });
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [handler] { handler(); });
}

void TQtFileWatcher::Watch(const std::vector<std::filesystem::path>& paths)
{
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    for (const std::filesystem::path& path : paths)
        m_watcher.addPath(FromPath(path));
}

} // namespace korvid::window
