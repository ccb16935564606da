#include "window/frm_main.h"

#include <algorithm>
#include <system_error>

#include <QAction>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

#include "util/ascii_case.h"
#include "util/error.h"
#include "util/ini_file.h"
#include "window/frm_main_parts.h"

namespace korvid::window {
namespace {

constexpr int DesignTreeHeight = 182;
constexpr int DesignInfoWidth = 249;
// Positions and sizes from the settings file stay where Qt's arithmetic cannot overflow.
constexpr int MaxCoordinate = 1 << 20;

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = util::UpperAscii(c);
    return text;
}

} // namespace

void TfrmMain::LoadSettings()
{
    const util::TIniFile ini(SettingsPath());
    const std::string_view section = settings_key::Section;
    auto coordinate = [&](std::string_view key, int fallback) {
        return std::clamp(ini.ReadInteger(section, key, fallback), -MaxCoordinate, MaxCoordinate);
    };
    // No window larger than all the screens together: its pixels would be allocated for nothing.
    const QRect desktop = screen()->virtualGeometry();
    const int width = std::clamp(ini.ReadInteger(section, "FormWidth", this->width()), 1,
                                 std::max(desktop.width(), DesignWidth));
    const int height = std::clamp(ini.ReadInteger(section, "FormHeight", this->height()), 1,
                                  std::max(desktop.height(), DesignHeight));
    resize(width, height);
    const QRect screenRect = screen()->geometry();
    const int left =
        coordinate("FormLeft", screenRect.x() + (screenRect.width() - this->width()) / 2);
    const int top =
        coordinate("FormTop", screenRect.y() + (screenRect.height() - this->height()) / 2);
    move(left, top);
    m_treeHeight =
        std::clamp(ini.ReadInteger(section, settings_key::TreeViewsHeight, DesignTreeHeight), 0,
                   MaxCoordinate);
    m_infoWidth =
        std::clamp(ini.ReadInteger(section, "InfoWidth", DesignInfoWidth), 0, MaxCoordinate);

    m_lastFahLog = ini.ReadString(section, settings_key::LastFahLog, "");
    std::error_code ec;
    if (!m_lastFahLog.empty() && !std::filesystem::is_regular_file(m_lastFahLog, ec))
        m_lastFahLog.clear();

    m_autoAddToHisto = ini.ReadInteger(section, "AutoAddToHisto", 1) == 1;
    m_autoSaveHisto = ini.ReadInteger(section, "AutoSaveHisto", 1) == 1;
    m_autoBackupHisto = ini.ReadInteger(section, "AutoBackupHisto", 1) == 1;
    m_store.SetAutoBackup(m_autoBackupHisto);

    const bool byProject = ini.ReadInteger(section, "Sort", 0) == 0;
    m_mnuSortByProject->setChecked(byProject);
    m_mnuSortByDate->setChecked(!byProject);

    const bool showInfo = ini.ReadInteger(section, "ShowInfo", 1) == 1;
    m_sbHistoWUInfo->setChecked(showInfo);
    ShowWUInfoPanel(TPage::Histo);
    m_sbFahLogWUInfo->setChecked(showInfo);
    ShowWUInfoPanel(TPage::Log);

    m_language = UpperAscii(ini.ReadString(section, "Lang", "francais"));
}

void TfrmMain::SaveSettings()
{
    util::TIniFile ini(SettingsPath());
    // A file that exists but could not be read is left alone: its other keys would be lost.
    if (ini.LoadOutcome() == util::TIniLoad::Failed)
        return;
    const std::string_view section = settings_key::Section;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        ini.WriteInteger(section, "FormWidth", width());
        ini.WriteInteger(section, "FormHeight", height());
        ini.WriteInteger(section, "FormLeft", x());
        ini.WriteInteger(section, "FormTop", y());
        ini.WriteInteger(section, settings_key::TreeViewsHeight, m_pnlTreeviews->height());
        ini.WriteInteger(section, "InfoWidth",
                         m_pnlWUInfoLeft->isVisible() ? m_pnlWUInfoLeft->width() : m_infoWidth);
    }
    // A path with a line break cannot be stored; the next start then asks for a log.
    if (!ini.WriteString(section, settings_key::LastFahLog, m_lastFahLog.string()))
        ini.WriteString(section, settings_key::LastFahLog, "");
    ini.WriteInteger(section, "AutoAddToHisto", m_autoAddToHisto ? 1 : 0);
    ini.WriteInteger(section, "AutoSaveHisto", m_autoSaveHisto ? 1 : 0);
    ini.WriteInteger(section, "AutoBackupHisto", m_autoBackupHisto ? 1 : 0);
    ini.WriteInteger(section, "Sort", m_mnuSortByProject->isChecked() ? 0 : 1);
    ini.WriteInteger(section, "ShowInfo", InfoToggle(ActivePage()).isChecked() ? 1 : 0);
    try {
        ini.UpdateFile();
    } catch (const util::TError&) {
        // The settings are a convenience: a read-only folder must not stand in the way of closing.
    }
}

} // namespace korvid::window
