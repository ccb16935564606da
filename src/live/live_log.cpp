#include "live/live_log.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "util/date_time.h"
#include "workunits/client_line.h"

namespace korvid::live {

namespace {

constexpr double HalfDay = 0.5;
// The reader crosses a midnight only between lines less than 12 hours apart: a unit silent for
// longer is dated again.
constexpr double RedateAfter = 0.25;
// The client's clock may run a little ahead of ours.
constexpr double Slack = 1.0 / 24;

struct TStamped {
    std::string_view Line;
    std::optional<double> Time; // time of day
    std::optional<double> At;   // a whole date-time (8.1.5 and 8.1.6 wrote the day)
};

TStamped Stamp(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    // The reader takes colour codes wherever they stand; only the stamp is read here.
    std::string plain;
    workunits::TClientLine parsed;
    if (workunits::ReadStamp(workunits::WithoutColour(line, plain), parsed) == 0)
        return {line, std::nullopt, std::nullopt};
    return {line, parsed.Time, parsed.At};
}

} // namespace

TLiveLog::TLiveLog(const util::IClock& clock, std::string source)
    : m_clock(clock), m_source(std::move(source))
{
}

void TLiveLog::Replace(std::span<const std::string_view> lines)
{
    // Only times of day: count back from now across each midnight, a time of day that grows
    // by more than half a day going backwards.
    const double now = m_clock.Now();
    std::vector<TStamped> stamped;
    stamped.reserve(lines.size());
    for (const std::string_view line : lines)
        stamped.push_back(Stamp(line));
    std::vector<double> at(stamped.size(), 0);
    double day = util::DateOf(now);
    std::optional<double> later;
    for (std::size_t i = stamped.size(); i-- > 0;) {
        if (stamped[i].At) {
            at[i] = *stamped[i].At;
            day = util::DateOf(at[i]);
            later = at[i] - day;
            continue;
        }
        if (!stamped[i].Time)
            continue;
        const double t = *stamped[i].Time;
        if (later ? t - *later > HalfDay : day + t > now + Slack)
            day -= 1;
        at[i] = day + t;
        later = t;
    }
    std::unordered_map<std::int64_t, TUnitLines> named;
    std::vector<std::int64_t> order;
    for (std::size_t i = 0; i < stamped.size(); ++i)
        if (at[i] != 0)
            Keep(named, stamped[i].Line, at[i], &order);
    const auto first = std::find_if(at.begin(), at.end(), [](double a) { return a != 0; });
    const double batchStart = first == at.end() ? 0 : *first;
    for (const std::int64_t number : order) {
        TUnitLines& fresh = named[number];
        if (const auto old = m_units.find(number); old != m_units.end() &&
                                                   !old->second.Starts.empty() &&
                                                   old->second.Starts.front().first < batchStart) {
            const TUnitLines& kept = old->second;
            const auto cut =
                std::find_if(kept.Starts.begin(), kept.Starts.end(),
                             [&](const auto& start) { return start.first >= batchStart; });
            const std::size_t bytes = cut == kept.Starts.end() ? kept.Text.size() : cut->second;
            std::vector<std::pair<double, std::size_t>> starts(kept.Starts.begin(), cut);
            for (const auto& [lineAt, offset] : fresh.Starts)
                starts.emplace_back(lineAt, offset + bytes);
            fresh.Text.insert(0, kept.Text, 0, bytes);
            fresh.Starts = std::move(starts);
        }
        auto [it, inserted] = m_units.insert_or_assign(number, std::move(fresh));
        if (inserted)
            m_order.push_back(number);
    }
    Forget();
}

void TLiveLog::Append(std::span<const std::string_view> lines)
{
    const double now = m_clock.Now();
    std::vector<std::int64_t> order;
    for (const std::string_view line : lines) {
        const TStamped stamped = Stamp(line);
        double at = 0;
        if (stamped.At) {
            at = *stamped.At;
        } else if (stamped.Time) {
            at = util::DateOf(now) + *stamped.Time;
            if (at > now + Slack)
                at -= 1;
        } else {
            continue;
        }
        Keep(m_units, stamped.Line, at, &order);
    }
    m_order.insert(m_order.end(), order.begin(), order.end());
    Forget();
}

const workunits::TWU* TLiveLog::Unit(std::int64_t number) const
{
    const auto it = m_units.find(number);
    if (it == m_units.end())
        return nullptr;
    const TUnitLines& unit = it->second;
    if (unit.Stale) {
        unit.Read = std::make_unique<workunits::TWUs>();
        unit.Read->ReadLog(unit.Text, m_source, m_clock);
        unit.Stale = false;
    }
    const auto count = unit.Read->Count();
    return count == 0 ? nullptr : unit.Read->Items(count - 1);
}

void TLiveLog::Keep(std::unordered_map<std::int64_t, TUnitLines>& units, std::string_view line,
                    double at, std::vector<std::int64_t>* order)
{
    const workunits::TClientLine parsed = workunits::ReadClientLine(line);
    // Lines without an event only move the reader's clock, which the banners below set.
    if (parsed.Event == workunits::TEvent::None || parsed.Event == workunits::TEvent::Dating ||
        parsed.Unit.empty())
        return;
    std::int64_t number = 0;
    const auto [end, error] =
        std::from_chars(parsed.Unit.data(), parsed.Unit.data() + parsed.Unit.size(), number);
    if (error != std::errc())
        return;
    auto [it, inserted] = units.try_emplace(number);
    if (inserted)
        order->push_back(number);
    TUnitLines& unit = it->second;
    if (unit.Text.size() + line.size() > MaxUnitBytes)
        return;
    unit.Starts.emplace_back(at, unit.Text.size());
    if (unit.Text.empty() || at - unit.LastAt >= RedateAfter || at < unit.LastAt) {
        std::string stamp = util::FormatIso(at);
        stamp[10] = 'T';
        unit.Text += "*** Log Started " + stamp + "Z ***\r\n";
    }
    unit.Text += line;
    unit.Text += "\r\n";
    unit.LastAt = at;
    unit.Stale = true;
}

void TLiveLog::Forget()
{
    while (m_units.size() > MaxUnits) {
        m_units.erase(m_order.front());
        m_order.pop_front();
    }
}

} // namespace korvid::live
