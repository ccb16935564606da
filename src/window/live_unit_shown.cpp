#include "window/live_unit_shown.h"

#include <cmath>
#include <utility>

#include "util/duration_words.h"
#include "window/live_watch.h"
#include "window/wu_tree.h"

namespace korvid::window {
namespace {

using workunits::TWU;
using workunits::TWUs;

constexpr double SecondsPerDay = 86'400;

// A copy of the unit with its dates moved by shift days.
std::unique_ptr<TWUs> LocalCopy(const TWU& logged, double shift)
{
    TWU local = logged;
    // 0 is "not known", below a day a time of day: neither is a date to move.
    auto move = [shift](double& dateTime) {
        if (dateTime >= 1)
            dateTime += shift;
    };
    if (shift != 0) {
        move(local.LastTime);
        move(local.StartTime);
        move(local.EndTime);
        for (std::ptrdiff_t i = 0; i < local.Steps.Count(); ++i) {
            workunits::TStep& step = *local.Steps.Items(i);
            move(step.Date);
            move(step.PrevDate);
        }
    }
    auto copy = std::make_unique<TWUs>();
    copy->AddCopy(local);
    return copy;
}

} // namespace

std::unique_ptr<TWUs> TShownLiveUnit::Take(const live::TClientSession& session, std::string_view id,
                                           std::string machine, double utcNow, double localShift)
{
    std::unique_ptr<TWUs> retired;
    if (&session != m_session || id != m_id) {
        retired = Clear();
        m_session = &session;
        m_id = id;
    }
    m_machine = std::move(machine);
    m_utcNow = utcNow;
    m_shift = localShift;
    std::optional<live::TUnitView> view = session.FindUnit(id);
    m_present = view.has_value();
    if (!view)
        return retired;
    m_view = std::move(view);
    // Valid only until the session's next message: copied now, and only when it told more.
    const TWU* logged = session.LoggedUnit(*m_view);
    if (logged != nullptr && (WU() == nullptr || WU()->Text != logged->Text)) {
        std::unique_ptr<TWUs> fresh = LocalCopy(*logged, localShift);
        if (!retired)
            retired = std::move(m_copy);
        m_copy = std::move(fresh);
    }
    return retired;
}

std::unique_ptr<TWUs> TShownLiveUnit::Clear()
{
    m_session = nullptr;
    m_id.clear();
    m_view.reset();
    m_present = false;
    return std::move(m_copy);
}

const TWU* TShownLiveUnit::WU() const
{
    return m_copy ? m_copy->Items(0) : nullptr;
}

std::string TShownLiveUnit::InfoLines(const translation::TTranslation& translation,
                                      const util::IRegionalSettings& regional) const
{
    if (!m_view)
        return {};
    const live::TUnitView& unit = *m_view;
    auto label = [&](std::string_view key) { return translation.GetText("", key); };
    const util::TDurationWords words = util::DurationWordsOf(label);
    std::string lines;
    auto item = [&](std::string_view key, const std::string& value) {
        if (!lines.empty())
            lines += '\n';
        lines += label(key) + ": " + value;
    };
    auto whole = [](double value) { return std::to_string(std::llround(value)); };
    auto local = [&](double utc) { return DateTimeText(utc + m_shift, regional); };

    item("msgLiveMachine", m_machine);
    item("msgLiveStatus",
         m_present ? LiveStatusText(unit.Status, label) : label("msgLiveUnitGone"));
    // What the client estimated holds only while it holds the unit.
    if (m_present) {
        if (unit.EtaSeconds)
            item("msgLiveEta", util::DurationToText(*unit.EtaSeconds, words) + " (" +
                                   local(m_utcNow + *unit.EtaSeconds / SecondsPerDay) + ")");
        item("msgLivePpd", whole(unit.Ppd));
        if (const double run = live::RunEstimateSeconds(unit); unit.Ppd > 0 && run > 0)
            item("msgLiveCreditEstimate", whole(unit.Ppd * run / SecondsPerDay));
    }
    if (unit.BaseCredit > 0)
        item("msgLiveCredit", std::to_string(unit.BaseCredit));
    if (unit.Deadline > 0)
        item("msgLiveDeadline", local(unit.Deadline));
    return lines;
}

double LocalShift(const util::IClock& local, const util::IClock& utc)
{
    return std::round((local.Now() - utc.Now()) * 96) / 96;
}

} // namespace korvid::window
