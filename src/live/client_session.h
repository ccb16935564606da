#pragma once

// One connection's worth of a v8 client: its state, kept by the client's update rule, the units
// it holds, and what its log stream says of them. Plain C++: the transport hands in each text
// message and sends what comes back.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "live/live_log.h"
#include "live/unit_view.h"
#include "util/platform.h"

namespace korvid::live {

enum class TSessionPhase {
    AwaitingState,
    Live,
    ReadOnly,   // 8.2: no groups; followed, never commanded
    Unsupported // 8.1 and older: one socket per group, other keys
};

struct TSessionStep {
    std::vector<std::string> Send; // commands to send now, in order (JSON texts)
    std::string Error; // not empty: the message was bad (why, for the log); drop the connection
};

class TClientSession {
public:
    // The clock gives UTC: the client's times are UTC.
    explicit TClientSession(const util::IClock& clock);

    // A new connection: the next message is a whole state again. What the log and the finished
    // units told stays; the new connection's first batches add to it.
    void Reset();
    // Every text message; "ping" changes nothing.
    TSessionStep Receive(std::string_view message);

    [[nodiscard]] TSessionPhase Phase() const { return m_phase; }
    [[nodiscard]] std::string Version() const { return m_versionText; }
    [[nodiscard]] std::string MachineName() const;
    // The current units, in the client's order; valid until the next call of a method here.
    [[nodiscard]] const std::vector<TUnitView>& Units() const;
    [[nodiscard]] std::optional<TUnitView> FindUnit(std::string_view id) const;
    // The unit as read from the streamed log (frames, dates), or nullptr. Valid until the next
    // Receive.
    [[nodiscard]] const workunits::TWU* LoggedUnit(const TUnitView& unit) const;
    // The PPD of the units folding now (running or finishing).
    [[nodiscard]] double TotalPpd() const;
    // Units the client reported finished (8.4 on), oldest first.
    [[nodiscard]] std::vector<TUnitView> FinishedUnits() const;
    // Units that ended while followed, not those of a connection's first batch: a count for the
    // session's life, whose last ones are the last of FinishedUnits.
    [[nodiscard]] std::uint64_t FinishedArrivals() const { return m_finishedArrivals; }
    [[nodiscard]] std::vector<TUnitView> LastFinished(std::size_t count) const;
    // The client's state as the updates left it, its passkey hidden.
    [[nodiscard]] const nlohmann::json& State() const { return m_state; }

    // The transport refuses more; a bigger message is refused before it is parsed.
    static constexpr std::size_t MaxMessageBytes = std::size_t{64} << 20;
    // A state this big is no client's: a flood of updates, dropped with the connection.
    static constexpr std::size_t MaxStateBytes = std::size_t{64} << 20;
    // A client runs a unit or two per resource group; views are rebuilt whole when units come
    // or go, which stays cheap only for a client's worth of them.
    static constexpr std::size_t MaxUnits = 1024;
    // The client's own history table holds 500.
    static constexpr std::size_t MaxFinishedUnits = 5000;

private:
    TSessionStep TakeState(nlohmann::json state);
    std::string ApplyToState(nlohmann::json& update, std::size_t bytes);
    std::string TakeLog(const nlohmann::json& update);
    std::string TakeFinished(nlohmann::json& update);
    void HidePasskey();
    [[nodiscard]] bool TooManyUnits() const;
    void Refresh() const;

    const util::IClock& m_clock;
    nlohmann::json m_state;
    TSessionPhase m_phase = TSessionPhase::AwaitingState;
    TVersion m_version;
    std::string m_versionText;
    std::size_t m_growth = 0; // bytes of updates applied since the state's size was last known

    // The view of units[i]; rebuilt whole when units come or go, else one unit, or one field of
    // a unit, at a time.
    mutable std::vector<TUnitView> m_views;
    mutable std::vector<TUnitClock> m_clocks;
    mutable std::vector<bool> m_stale;
    mutable bool m_anyStale = false;
    mutable bool m_reshaped = true;
    mutable std::unordered_map<std::string, std::size_t> m_byId;

    TLiveLog m_log;
    std::unordered_map<std::string, nlohmann::json> m_finished; // by unit id
    std::deque<std::string> m_finishedOrder;
    std::uint64_t m_finishedArrivals = 0;
};

} // namespace korvid::live
