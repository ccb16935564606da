#include "window/frm_main.h"

#include <system_error>

#include <QFileSystemWatcher>
#include <QTimer>

#include "window/frm_main_parts.h"
#include "window/qt_platform.h"

namespace korvid::window {
namespace {

// The client writes a line at a time: one read once the writes pause.
constexpr int FollowDelayMs = 1000;

std::optional<std::pair<std::uintmax_t, std::filesystem::file_time_type>>
Stamp(const std::filesystem::path& path)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return std::nullopt;
    const std::filesystem::file_time_type time = std::filesystem::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    return std::pair{size, time};
}

} // namespace

void TfrmMain::WatchLog()
{
    if (m_logWatcher == nullptr) {
        m_logWatcher = new QFileSystemWatcher(this);
        m_followTimer = new QTimer(this);
        m_followTimer->setSingleShot(true);
        m_followTimer->setInterval(FollowDelayMs);
        connect(m_followTimer, &QTimer::timeout, this, [this] { FollowLog(); });
        auto later = [this] { m_followTimer->start(); };
        connect(m_logWatcher, &QFileSystemWatcher::fileChanged, this, later);
        connect(m_logWatcher, &QFileSystemWatcher::directoryChanged, this, later);
    }
    if (const QStringList watched = m_logWatcher->files() + m_logWatcher->directories();
        !watched.isEmpty())
        m_logWatcher->removePaths(watched);
    m_logStamp = Stamp(m_lastFahLog);
    if (!m_settings.FollowLog || m_lastFahLog.empty())
        return;
    m_logWatcher->addPath(FromPath(m_lastFahLog));
    m_logWatcher->addPath(FromPath(m_lastFahLog.parent_path()));
}

void TfrmMain::FollowLog()
{
    std::error_code ec;
    // Mid-rotation the log may be missing for a moment: the folder's next change brings it.
    if (m_lastFahLog.empty() || !std::filesystem::is_regular_file(m_lastFahLog, ec) ||
        Stamp(m_lastFahLog) == m_logStamp)
        return;
    try {
        ReadFahLog(m_lastFahLog, true);
    } catch (const std::exception&) {
        // Read while the client writes; the next change or F5 tells what is wrong.
        WatchLog();
    }
}

} // namespace korvid::window
