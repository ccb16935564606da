#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include <QObject>

#include "live/control.h"
#include "window/window_seams.h"

class QAction;
class QMenu;
class QPoint;

namespace korvid::window {

class TLivePage;

// Pause, fold and finish from the live page's context menu: a machine's line acts on every group
// of the machine, a unit's line on the unit's group. Each asks first, and only a yes sends the
// one command.
class TLiveControl final : public QObject {
public:
    TLiveControl(TLivePage& page, IMessageBox& messages,
                 std::function<std::string(std::string_view key)> label);

private:
    void Offer(const QPoint& at);
    // The items act on the current line; they are enabled where it takes commands.
    void Enable();
    void Confirm(live::TControl control);

    TLivePage& m_page;
    IMessageBox& m_messages;
    std::function<std::string(std::string_view key)> m_label;
    QMenu* m_menu = nullptr;
    std::array<QAction*, 3> m_items{};
};

} // namespace korvid::window
