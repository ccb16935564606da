#include "window/frm_main.h"

#include <system_error>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QToolButton>
#include <QMimeData>
#include <QUrl>

#include "window/frm_main_parts.h"
#include "window/qt_platform.h"

namespace korvid::window {
namespace {

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

// The log a drop names: the file itself, or in a client's folder its log.txt (v7, v8) or
// FAHlog.txt (v5, v6). None for anything else.
std::optional<std::filesystem::path> DroppedLog(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return std::nullopt;
    const std::filesystem::path path = ToPath(data->urls().front().toLocalFile());
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec))
        return path;
    for (const char* name : {"log.txt", "FAHlog.txt"})
        if (std::filesystem::is_regular_file(path / name, ec))
            return path / name;
    return std::nullopt;
}

} // namespace

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedLog(event->mimeData()))
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const std::optional<std::filesystem::path> log = DroppedLog(event->mimeData());
    if (!log)
        return;
    event->acceptProposedAction();
    Run(View(TPage::Log).LoadButton->toolTip(), [this, &log] { LoadFahLog(*log); });
}

void TfrmMain::WatchLog()
{
    m_logStamp = Stamp(m_lastFahLog);
    if (!m_settings.FollowLog || m_lastFahLog.empty())
        m_logWatcher.Watch({});
    else
        m_logWatcher.Watch({m_lastFahLog, m_lastFahLog.parent_path()});
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
