#include "window/frm_main.h"

#include <algorithm>
#include <system_error>

#include <QAction>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

#include "util/ini_file.h"
#include "window/frm_main_parts.h"

namespace korvid::window {

QSize FirstStartSize(QSize room)
{
    // Four fifths of the room, never below the design size unless the screen is smaller.
    return {std::min(room.width(), std::max(DesignWidth, room.width() * 4 / 5)),
            std::min(room.height(), std::max(DesignHeight, room.height() * 4 / 5))};
}

int FirstStartTreeHeight(int windowHeight)
{
    return std::max(TWindowSettings{}.TreeViewsHeight, windowHeight * 2 / 5);
}

void TfrmMain::LoadSettings()
{
    const QRect desktop = screen()->virtualGeometry();
    const util::TIniFile ini(SettingsPath());
    m_settings = ReadWindowSettings(ini, {desktop.width(), desktop.height()});
    // A first start fills most of the screen rather than the design size: room for the trees.
    const QRect room = screen()->availableGeometry();
    const bool firstStart = !ini.Value(settings_key::Section, "FormWidth");
    if (firstStart) {
        const QSize first = FirstStartSize(room.size());
        m_settings.FormWidth = first.width();
        m_settings.FormHeight = first.height();
        if (!ini.Value(settings_key::Section, "TreeViewsHeight"))
            m_settings.TreeViewsHeight = FirstStartTreeHeight(first.height());
    }
    resize(m_settings.FormWidth, m_settings.FormHeight);
    // Centred on the size the window took, which its widgets may have made larger.
    const QRect screenRect = firstStart ? room : screen()->geometry();
    move(m_settings.FormLeft.value_or(screenRect.x() + (screenRect.width() - width()) / 2),
         m_settings.FormTop.value_or(screenRect.y() + (screenRect.height() - height()) / 2));

    m_lastFahLog = m_settings.LastFahLog;
    std::error_code ec;
    if (!m_lastFahLog.empty() && !std::filesystem::is_regular_file(m_lastFahLog, ec))
        m_lastFahLog.clear();
    m_history.Store().SetAutoBackup(m_settings.AutoBackupHisto);
    m_mnuSortByProject->setChecked(m_settings.SortByProject);
    m_mnuSortByDate->setChecked(!m_settings.SortByProject);
    for (const TPage page : {TPage::Histo, TPage::Log}) {
        InfoToggle(page).setChecked(m_settings.ShowInfo);
        ShowWUInfoPanel(page);
    }
}

void TfrmMain::SaveSettings()
{
    m_settings.FormWidth = width();
    m_settings.FormHeight = height();
    m_settings.FormLeft = x();
    m_settings.FormTop = y();
    m_settings.TreeViewsHeight = m_pnlTreeviews->height();
    if (m_pnlWUInfoLeft->isVisible())
        m_settings.InfoWidth = m_pnlWUInfoLeft->width();
    m_settings.LastFahLog = m_lastFahLog.string();
    m_settings.SortByProject = m_mnuSortByProject->isChecked();
    m_settings.ShowInfo = InfoToggle(ActivePage()).isChecked();
    const bool normal =
        !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    UpdateSettingsFile(SettingsPath(), [&](util::TIniFile& ini) {
        WriteWindowSettings(m_settings, normal ? TGeometry::Write : TGeometry::Keep, ini);
    });
}

} // namespace korvid::window
