#include "window/qt_tray.h"

#include <QWidget>

#include "window/qt_platform.h"

namespace korvid::window {

bool TQtTray::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TQtTray::Notify(const std::string& text)
{
    if (m_icon == nullptr) {
        m_icon = std::make_unique<QSystemTrayIcon>(m_window.windowIcon());
        auto restore = [this] {
            m_window.showNormal();
            m_window.activateWindow();
            m_icon->hide();
        };
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, &m_window, restore);
        QObject::connect(m_icon.get(), &QSystemTrayIcon::messageClicked, &m_window, restore);
    }
    m_icon->show();
    m_icon->showMessage(m_window.windowTitle(), FromUtf8(text));
}

} // namespace korvid::window
