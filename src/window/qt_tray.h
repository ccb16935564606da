#pragma once

#include <memory>
#include <string>

#include <QSystemTrayIcon>

#include "window/window_seams.h"

class QWidget;

namespace korvid::window {

// The icon appears with the first notice; a click on it brings the window back.
class TQtTray final : public ITray {
public:
    explicit TQtTray(QWidget& window) : m_window(window) {}
    [[nodiscard]] bool Available() const override;
    void Notify(const std::string& text) override;

private:
    QWidget& m_window;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace korvid::window
