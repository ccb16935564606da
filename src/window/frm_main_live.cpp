#include "window/frm_main.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

#include "window/live_page.h"
#include "window/qt_platform.h"
#include "window/wu_info.h"

namespace korvid::window {

bool TfrmMain::LivePageShown() const
{
    return m_pcPages->currentWidget() == m_live;
}

std::unique_ptr<workunits::TWUs> TfrmMain::TakeLiveUnit()
{
    const std::optional<TLivePage::TSelectedUnit> selected = m_live->SelectedUnit();
    if (!selected)
        return m_liveUnit.Clear();
    return m_liveUnit.Take(*selected->Session, selected->Id, selected->Machine, m_utcClock.Now(),
                           LocalShift(m_clock, m_utcClock));
}

void TfrmMain::LiveUnitChanged(bool newSelection)
{
    // The live page takes its unit again when it is turned to.
    if (!LivePageShown())
        return;
    if (newSelection) {
        PagesChange(false);
        return;
    }
    // Destroyed once the chart shows its successor.
    const std::unique_ptr<workunits::TWUs> retired = TakeLiveUnit();
    const workunits::TWU* shown = m_pbGraph->CurrentWU();
    m_currentWU = m_liveUnit.WU();
    // More frames of the same unit keep the zoom the user set, as a followed log does.
    if (retired || shown != m_currentWU) {
        if (shown == nullptr)
            BuildPoints();
        else
            m_pbGraph->FollowWU(m_currentWU);
    }
    if (!InfoToggle(TPage::Log).isChecked())
        return;
    // A unit the log has not named yet (assigning, downloading) has what its client says.
    TWUInfo info;
    if (m_currentWU != nullptr)
        info = CurrentWUInfo();
    else
        info.Memo = m_liveUnit.InfoLines(m_translation, m_regional);
    m_pnlWUInfoTop->setText(FromUtf8(info.Title));
    // Every message refreshes it: whoever reads further down keeps their place.
    const QString memo = FromUtf8(info.Memo);
    if (memo != m_memWUInfo->toPlainText()) {
        const int scrolled = m_memWUInfo->verticalScrollBar()->value();
        m_memWUInfo->setPlainText(memo);
        m_memWUInfo->verticalScrollBar()->setValue(scrolled);
    }
}

TWUInfo TfrmMain::CurrentWUInfo() const
{
    TWUInfo info = BuildWUInfo(*m_currentWU, m_translation, m_regional, m_clock.Now());
    if (m_currentWU == m_liveUnit.WU())
        info.Memo = m_liveUnit.InfoLines(m_translation, m_regional) + "\n\n" + info.Memo;
    return info;
}

} // namespace korvid::window
