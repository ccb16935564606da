#include "live/unit_endings.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace korvid::live {
namespace {

constexpr double SecondsPerDay = 86'400;

// The statuses of a unit still in the client's hands; any other is a result.
bool IsResult(std::string_view status)
{
    constexpr std::array<std::string_view, 11> Live = {"ASSIGN", "DOWNLOAD", "CORE", "RUN",
                                                       "UPLOAD", "DUMP",     "DONE", "CLEAN",
                                                       "WAIT",   "FINISH",   "PAUSE"};
    for (const std::string_view live : Live)
        if (status == live)
            return false;
    return !status.empty();
}

TEndState StateOf(const TUnitView& unit)
{
    if (unit.Status == "CREDITED")
        return TEndState::Credited;
    if (IsResult(unit.Status) || unit.State == "DUMP")
        return TEndState::Ended;
    return unit.Progress >= 100 ? TEndState::Finished : TEndState::Ended;
}

} // namespace

void TEndingWatch::Tell(const TSeen& seen, std::vector<TUnitEnding>& endings)
{
    if (!m_told.insert(seen.View.Id).second)
        return;
    m_toldOrder.push_back(seen.View.Id);
    if (m_toldOrder.size() > MaxRemembered) {
        m_told.erase(m_toldOrder.front());
        m_toldOrder.pop_front();
    }
    endings.push_back({seen.View, StateOf(seen.View), seen.LastPpd});
}

std::vector<TUnitEnding> TEndingWatch::Observe(const TClientSession& session)
{
    std::vector<TUnitEnding> endings;
    if (session.Phase() != TSessionPhase::Live && session.Phase() != TSessionPhase::ReadOnly)
        return endings; // between connections the units are not known: keep what was seen
    std::unordered_map<std::string, TSeen> now;
    for (const TUnitView& unit : session.Units()) {
        if (unit.Id.empty())
            continue; // not assigned yet: nothing to keep of it
        TSeen& seen = now[unit.Id];
        seen.View = unit;
        const auto before = m_units.find(unit.Id);
        seen.LastPpd = unit.Ppd > 0              ? unit.Ppd
                       : before != m_units.end() ? before->second.LastPpd
                                                 : 0;
    }
    const TClientSession::TFinishedNews news = session.LastFinished();
    for (const TUnitView& record : news.Units) {
        const auto before = m_units.find(record.Id);
        const auto pending = m_pending.find(record.Id);
        const auto current = now.find(record.Id);
        const TSeen* known = current != now.end()         ? &current->second
                             : before != m_units.end()    ? &before->second
                             : pending != m_pending.end() ? &pending->second
                                                          : nullptr;
        // The list a connection starts with is the client's history: units that ended before
        // they were followed are not news.
        if (known == nullptr && news.WholeList)
            continue;
        TSeen seen{record, record.Ppd > 0 ? record.Ppd : known != nullptr ? known->LastPpd : 0};
        Tell(seen, endings);
        if (pending != m_pending.end())
            m_pending.erase(pending);
    }
    const bool newState = session.States() != m_states;
    m_states = session.States();
    // A client that sends finished records says how the units gone while it was not followed
    // ended, in the list that follows its state; one that sends none never will.
    const bool sendsRecords = ParseVersion(session.Version()).value_or(TVersion{}).AtLeast(8, 4);
    if (news.WholeList || !sendsRecords) {
        for (const auto& [id, seen] : m_pending)
            Tell(seen, endings);
        m_pending.clear();
    }
    for (const auto& [id, seen] : m_units)
        if (!now.contains(id) && !m_told.contains(id)) {
            if (newState && sendsRecords)
                m_pending.emplace(id, seen);
            else
                Tell(seen, endings);
        }
    m_units = std::move(now);
    // The maps' order is no order: tell them as the client numbered them.
    std::sort(endings.begin(), endings.end(),
              [](const auto& a, const auto& b) { return a.Unit.Number < b.Unit.Number; });
    return endings;
}

std::optional<double> CreditEstimate(const TUnitEnding& ending)
{
    const TUnitView& unit = ending.Unit;
    if (const double run = RunEstimateSeconds(unit); ending.LastPpd > 0 && run > 0)
        return ending.LastPpd * run / SecondsPerDay;
    if (unit.BaseCredit > 0)
        return unit.BaseCredit;
    return std::nullopt;
}

std::optional<workunits::TWU> HistoryUnit(const TUnitEnding& ending, const workunits::TWU* logged)
{
    if (logged == nullptr || logged->Project < 0)
        return std::nullopt;
    const TUnitView& unit = ending.Unit;
    if (unit.Project >= 0 && (unit.Project != logged->Project || unit.Run != logged->Run ||
                              unit.Clone != logged->Clone || unit.Gen != logged->Gen))
        return std::nullopt;
    workunits::TWU wu = *logged;
    wu.Client.Machine = unit.Machine;
    if (ending.LastPpd > 0)
        wu.Client.Ppd = ending.LastPpd;
    wu.Client.Credit = CreditEstimate(ending);
    // Frames count from 0 (v8: percent): a first frame past 1, or frames without the start that
    // ran them, mean the client's log buffer had lost the unit's beginning.
    wu.Client.Partial = !wu.Steps.Empty() && (wu.StartTime == 0 || wu.Steps.Front().Frame > 1);
    return wu;
}

} // namespace korvid::live
