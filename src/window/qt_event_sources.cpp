#include "window/qt_event_sources.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QStringList>

#include "window/qt_platform.h"

namespace korvid::window {
namespace {

constexpr std::array CloseSignals{SIGTERM, SIGINT, SIGHUP};

// The one state a signal handler may reach; lock-free, so reading it there is safe.
std::atomic<int> g_signalWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnCloseSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    // A full socket already holds a request: this one may go.
    if (const int fd = g_signalWriteEnd.load(); fd >= 0) {
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

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

TQtCloseRequests::TQtCloseRequests()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_pair.data()) == 0) {
        g_signalWriteEnd.store(m_pair[1]);
        struct sigaction action = {};
        action.sa_handler = OnCloseSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : CloseSignals)
            ::sigaction(signal, &action, nullptr);
    }
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &m_context,
                     [this](QSessionManager& manager) {
                         // A window kept open, or asking, holds the session's end back.
                         if (m_close && !Close())
                             manager.cancel();
                     });
}

TQtCloseRequests::~TQtCloseRequests()
{
    if (m_pair[0] < 0)
        return;
    for (const int signal : CloseSignals)
        std::signal(signal, SIG_DFL);
    g_signalWriteEnd.store(-1);
    m_notifier.reset();
    ::close(m_pair[0]);
    ::close(m_pair[1]);
}

void TQtCloseRequests::Listen(std::function<bool()> close)
{
    m_close = std::move(close);
    if (m_pair[0] >= 0 && !m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(m_pair[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &m_context,
                         [this] { Drain(); });
    }
}

void TQtCloseRequests::Drain()
{
    // Every byte waiting is one request: a second signal asks for the close already under way.
    char bytes[64];
    while (::read(m_pair[0], bytes, sizeof bytes) > 0) {
    }
    Close();
}

bool TQtCloseRequests::Close()
{
    if (m_closing)
        return false;
    m_closing = true;
    const bool closed = m_close();
    // Closed, the window takes what it still shows along: a notice at start, a dialog.
    if (closed)
        QApplication::closeAllWindows();
    m_closing = false;
    return closed;
}

} // namespace korvid::window
