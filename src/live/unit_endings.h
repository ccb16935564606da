#pragma once

// When a followed client's unit ends: it leaves the client's units, or its record arrives on
// the finished-units stream, whichever comes first; once per unit.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "live/client_session.h"
#include "live/unit_view.h"
#include "workunits/wu.h"

namespace korvid::live {

enum class TEndState {
    Credited, // the client said so
    Finished, // it left having folded all of it; the client (before 8.4.5) said no more
    Ended     // without credit: dumped, failed, expired, aborted...; the view's Status says which
};

struct TUnitEnding {
    TUnitView Unit; // as last seen; Status is the result upper-cased when the client gave one
    TEndState State = TEndState::Ended;
    double LastPpd = 0; // the last PPD above zero the unit showed: it falls to 0 on a resume
};

class TEndingWatch {
public:
    // After each message of the session: the units that ended with it.
    [[nodiscard]] std::vector<TUnitEnding> Observe(const TClientSession& session);

    // Ids of units already told, forgotten oldest first beyond this.
    static constexpr std::size_t MaxRemembered = TClientSession::MaxFinishedUnits;

private:
    struct TSeen {
        TUnitView View;
        double LastPpd = 0;
    };
    void Tell(const TSeen& seen, std::vector<TUnitEnding>& endings);

    std::unordered_map<std::string, TSeen> m_units; // by id, as the last message left them
    // Gone across a reconnect: how they ended is in the finished list the new connection brings.
    std::unordered_map<std::string, TSeen> m_pending;
    std::uint64_t m_states = 0;
    std::unordered_set<std::string> m_told;
    std::deque<std::string> m_toldOrder;
};

// The unit the history keeps of an ending: a copy of the unit the client's log lines make, with
// the client's facts. None when the log holds no lines of it, or lost the line that names its
// project, or names another project, run, clone or gen than the client's state: such a unit
// would say what it cannot show. A unit whose first frames or start the log no longer held is
// kept, marked partial.
[[nodiscard]] std::optional<workunits::TWU> HistoryUnit(const TUnitEnding& ending,
                                                        const workunits::TWU* logged);

// The client's last credit estimate: its PPD times the run time the whole unit took, else the
// base credit; none when neither is known.
[[nodiscard]] std::optional<double> CreditEstimate(const TUnitEnding& ending);

} // namespace korvid::live
