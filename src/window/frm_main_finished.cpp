#include "window/frm_main.h"

#include "window/frm_main_parts.h"

namespace korvid::window {

void TfrmMain::LiveUnitEnded(const live::TUnitEnding& ending, const workunits::TWU* logged)
{
    // As a log's units join only when complete: one that ended without credit folded for
    // nothing, and the attention line tells of it.
    if (!m_settings.AutoAddToHisto || ending.State == live::TEndState::Ended)
        return;
    if (const auto wu = live::HistoryUnit(ending, logged))
        TellAdding(m_history.Add(*wu));
}

} // namespace korvid::window
