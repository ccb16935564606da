#include "live/client_session.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "live/state_update.h"

namespace korvid::live {

namespace {

using nlohmann::json;

const json& Member(const json& object, const char* key)
{
    static const json Empty;
    if (!object.is_object())
        return Empty;
    const auto it = object.find(key);
    return it == object.end() ? Empty : *it;
}

std::string TextOf(const json& value)
{
    return value.is_string() ? value.get<std::string>() : std::string();
}

// The JSON library nests by recursion: a message of a few MiB of brackets would exhaust the
// stack. No client nests deeper than a handful.
constexpr int MaxDepth = 128;

bool NestsTooDeep(std::string_view text)
{
    int depth = 0;
    const char* pos = text.data();
    const char* const end = pos + text.size();
    while (pos < end) {
        switch (*pos++) {
        case '"':
            // To the closing quote: one not preceded by an odd run of backslashes.
            for (;;) {
                const auto* quote = static_cast<const char*>(
                    std::memchr(pos, '"', static_cast<std::size_t>(end - pos)));
                if (quote == nullptr)
                    return false;
                const char* slash = quote;
                while (slash > pos && slash[-1] == '\\')
                    --slash;
                pos = quote + 1;
                if ((quote - slash) % 2 == 0)
                    break;
            }
            break;
        case '[':
        case '{':
            if (++depth > MaxDepth)
                return true;
            break;
        case ']':
        case '}':
            --depth;
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace

TClientSession::TClientSession(const util::IClock& clock) : m_clock(clock), m_log(clock) {}

void TClientSession::Reset()
{
    m_state = json();
    m_phase = TSessionPhase::AwaitingState;
    m_growth = 0;
    m_views.clear();
    m_clocks.clear();
    m_stale.clear();
    m_byId.clear();
    m_reshaped = true;
}

TSessionStep TClientSession::Receive(std::string_view message)
{
    m_lastFinished.clear();
    m_lastFinishedWhole = false;
    if (message.size() > MaxMessageBytes)
        return {{},
                "a message of " + std::to_string(message.size()) +
                    " bytes, more than the 64 MiB a client sends"};
    if (NestsTooDeep(message))
        return {{}, "a message nested more than " + std::to_string(MaxDepth) + " levels deep"};
    json value;
    try {
        value = json::parse(message);
    } catch (const json::exception& e) {
        // The parser's own text quotes the message, which may hold the passkey.
        const auto* parse = dynamic_cast<const json::parse_error*>(&e);
        return {{},
                "a message that is not JSON" +
                    (parse != nullptr ? " (at byte " + std::to_string(parse->byte) + ")"
                                      : std::string())};
    }
    if (value.is_string() && value.get_ref<const std::string&>() == "ping")
        return {};
    switch (m_phase) {
    case TSessionPhase::AwaitingState:
        if (!value.is_object())
            return {{}, "the first message is not the client's state"};
        return TakeState(std::move(value));
    case TSessionPhase::Unsupported:
        return {};
    case TSessionPhase::Live:
    case TSessionPhase::ReadOnly:
        break;
    }
    if (!value.is_array() || value.size() < 2 || !value[0].is_string())
        return {{}, "a message that is neither an update nor a ping"};
    const auto& root = value[0].get_ref<const std::string&>();
    std::string error;
    if (root == "log")
        error = TakeLog(value);
    else if (root == "wus")
        error = TakeFinished(value);
    else
        error = ApplyToState(value, message.size());
    return {{}, std::move(error)};
}

TSessionStep TClientSession::TakeState(json state)
{
    m_state = std::move(state);
    m_reshaped = true;
    m_growth = 0;
    m_versionText = TextOf(Member(Member(m_state, "info"), "version"));
    const auto version = ParseVersion(m_versionText);
    if (!version) {
        Reset();
        return {{}, "the client's state names no version"};
    }
    m_version = *version;
    if (!m_version.AtLeast(8, 2)) {
        // Groups each on a socket of their own, keys written otherwise: nothing here reads it.
        m_phase = TSessionPhase::Unsupported;
        m_state = json::object();
        return {};
    }
    if (TooManyUnits()) {
        Reset();
        return {{}, "a state of more than " + std::to_string(MaxUnits) + " units"};
    }
    m_phase = m_version.AtLeast(8, 3) ? TSessionPhase::Live : TSessionPhase::ReadOnly;
    ++m_states;
    HidePasskey();
    const std::string machine = MachineName();
    m_log.SetSource(machine.empty() ? "log.txt" : machine + "/log.txt");
    TSessionStep step;
    step.Send.emplace_back(R"({"cmd":"log","enable":true})");
    if (m_version.AtLeast(8, 4))
        step.Send.emplace_back(R"({"cmd":"wus","enable":true})");
    return step;
}

std::string TClientSession::ApplyToState(json& update, std::size_t bytes)
{
    // What the update touches, read before its value is moved into the state.
    // Only the value is moved out: the keys stay valid.
    const std::string_view root = update[0].get_ref<const std::string&>();
    const bool reshapes = root == "units" && update.size() <= 3;
    std::optional<std::size_t> unit;
    std::string_view field;
    if (root == "units" && !reshapes && update[1].is_number_unsigned()) {
        unit = update[1].get<std::size_t>();
        if (update.size() == 4 && update[2].is_string())
            field = update[2].get_ref<const std::string&>();
    }
    json* container = nullptr;
    if (std::string error = ApplyUpdate(m_state, update, &container); !error.empty())
        return error;
    if (reshapes || field == "id") {
        m_reshaped = true;
        if (TooManyUnits()) {
            Reset(); // not worth keeping: the connection goes
            return "more than " + std::to_string(MaxUnits) + " units";
        }
    } else if (unit) {
        if (!m_reshaped && *unit < m_stale.size() && !m_stale[*unit] &&
            !ReadUnitField(field, *container, m_version, m_views[*unit])) {
            m_stale[*unit] = true;
            m_anyStale = true;
        }
    } else if (root == "info" || root == "groups" || root == "config") {
        if (root == "config")
            HidePasskey();
        if (root == "info") {
            m_versionText = TextOf(Member(Member(m_state, "info"), "version"));
            if (const auto version = ParseVersion(m_versionText))
                m_version = *version; // which progress field is the science's
        }
        m_stale.assign(m_stale.size(), true);
        m_anyStale = true;
    }
    m_growth += bytes;
    if (m_growth > MaxStateBytes) {
        // Measured only after as many bytes again arrived: the cost stays linear.
        m_growth = m_state.dump().size();
        if (m_growth > MaxStateBytes)
            return "the client's state grew past 64 MiB";
    }
    return {};
}

std::string TClientSession::TakeLog(const json& update)
{
    const bool replace = update.size() == 2;
    if (!replace && !(update.size() == 3 && (update[1] == -1 || update[1] == -2)))
        return "a log update that neither replaces nor appends lines";
    const json& value = update.back();
    std::vector<std::string_view> lines;
    if (update.size() == 3 && update[1] == -1) {
        if (!value.is_string())
            return "a log line that is not a text";
        lines.push_back(value.get_ref<const std::string&>());
    } else {
        if (!value.is_array())
            return "log lines that are not a list";
        lines.reserve(value.size());
        for (const json& line : value) {
            if (!line.is_string())
                return "a log line that is not a text";
            lines.push_back(line.get_ref<const std::string&>());
        }
    }
    if (replace)
        m_log.Replace(lines);
    else
        m_log.Append(lines);
    return {};
}

std::string TClientSession::TakeFinished(json& update)
{
    if (update.size() != 2 && !(update.size() == 3 && (update[1] == -1 || update[1] == -2)))
        return "a finished-units update that neither replaces nor appends";
    json& value = update.back();
    std::vector<json*> records;
    m_lastFinishedWhole = update.size() == 2;
    if (update.size() == 3 && update[1] == -1) {
        records.push_back(&value);
    } else {
        if (!value.is_array())
            return "finished units that are not a list";
        for (json& record : value)
            records.push_back(&record);
    }
    for (json* record : records) {
        const std::string id = TextOf(Member(*record, "id"));
        if (id.empty())
            continue; // a unit without an id never had an assignment: nothing to keep
        auto [it, inserted] = m_finished.insert_or_assign(id, std::move(*record));
        if (inserted)
            m_finishedOrder.push_back(id);
        m_lastFinished.push_back(id);
        if (m_finishedOrder.size() > MaxFinishedUnits) {
            m_finished.erase(m_finishedOrder.front());
            m_finishedOrder.pop_front();
        }
    }
    return {};
}

void TClientSession::HidePasskey()
{
    // Korvid never needs it: it must not be there to print, log or export by mistake.
    const auto config = m_state.find("config");
    if (config == m_state.end() || !config->is_object())
        return;
    const auto passkey = config->find("passkey");
    if (passkey != config->end() &&
        !(passkey->is_string() && passkey->get_ref<const std::string&>().empty()))
        *passkey = "(hidden)";
}

bool TClientSession::TooManyUnits() const
{
    const json& units = Member(m_state, "units");
    return units.is_array() && units.size() > MaxUnits;
}

std::string TClientSession::MachineName() const
{
    const json& info = Member(m_state, "info");
    std::string name = TextOf(Member(info, "mach_name"));
    return name.empty() ? TextOf(Member(info, "hostname")) : name;
}

void TClientSession::Refresh() const
{
    if (!m_reshaped && !m_anyStale)
        return;
    const json& units = Member(m_state, "units");
    const std::size_t count = units.is_array() ? units.size() : 0;
    if (m_reshaped) {
        m_views.assign(count, {});
        m_clocks.assign(count, {});
        m_stale.assign(count, true);
        m_byId.clear();
        for (std::size_t i = 0; i < count; ++i)
            if (const json& id = Member(units[i], "id"); id.is_string())
                m_byId.emplace(id.get<std::string>(), i);
        m_reshaped = false;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (m_stale[i]) {
            ReadUnit(units[i], m_state, m_version, m_views[i], m_clocks[i]);
            m_stale[i] = false;
        }
    m_anyStale = false;
}

const std::vector<TUnitView>& TClientSession::Units() const
{
    Refresh();
    const double now = m_clock.Now();
    for (std::size_t i = 0; i < m_views.size(); ++i)
        SetClocked(m_views[i], m_clocks[i], now);
    return m_views;
}

std::optional<TUnitView> TClientSession::FindUnit(std::string_view id) const
{
    Refresh();
    const auto it = m_byId.find(std::string(id));
    if (it == m_byId.end())
        return std::nullopt;
    TUnitView view = m_views[it->second];
    SetClocked(view, m_clocks[it->second], m_clock.Now());
    return view;
}

const workunits::TWU* TClientSession::LoggedUnit(const TUnitView& unit) const
{
    return unit.Number < 0 ? nullptr : m_log.Unit(unit.Number);
}

double TClientSession::TotalPpd() const
{
    double total = 0;
    for (const TUnitView& unit : Units())
        if (unit.Status == "RUN" || unit.Status == "FINISH")
            total += unit.Ppd;
    return total;
}

std::vector<TUnitView> TClientSession::FinishedUnits() const
{
    const double now = m_clock.Now();
    std::vector<TUnitView> views;
    views.reserve(m_finishedOrder.size());
    for (const std::string& id : m_finishedOrder)
        views.push_back(ViewAt(m_finished.at(id), m_state, m_version, now));
    return views;
}

TClientSession::TFinishedNews TClientSession::LastFinished() const
{
    TFinishedNews news;
    news.WholeList = m_lastFinishedWhole;
    const double now = m_clock.Now();
    for (const std::string& id : m_lastFinished)
        if (const auto it = m_finished.find(id); it != m_finished.end()) // not pushed out since
            news.Units.push_back(ViewAt(it->second, m_state, m_version, now));
    return news;
}

} // namespace korvid::live
