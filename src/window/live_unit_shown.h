#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "live/client_session.h"
#include "translation/translation.h"
#include "util/platform.h"
#include "workunits/wus.h"

namespace korvid::window {

// The live unit the chart and the information panel show. The session's reading of a unit lasts
// only until its next message, so what is shown is a copy of its own, taken again when the
// client's log told more of the unit. A unit that leaves its client, or whose client drops, keeps
// the last frames it had: the user was reading them, and a unit that ended is worth a look.
class TShownLiveUnit {
public:
    // Follows unit id of the session (another unit than before starts afresh). utcNow dates the
    // client's ETA; localShift moves the client's UTC to local time. Returns the copy it replaced,
    // to be destroyed once nothing shows it any more.
    [[nodiscard]] std::unique_ptr<workunits::TWUs> Take(const live::TClientSession& session,
                                                        std::string_view id, std::string machine,
                                                        double utcNow, double localShift);
    // No unit shown; returns the copy, as Take does.
    [[nodiscard]] std::unique_ptr<workunits::TWUs> Clear();

    // The unit as its client's log tells it, dated in local time; none before the log named it.
    [[nodiscard]] const workunits::TWU* WU() const;
    // What the information panel shows of a live unit besides its log: machine, status, ETA,
    // PPD, credit and deadline, a line each; empty without a unit.
    [[nodiscard]] std::string InfoLines(const translation::TTranslation& translation,
                                        const util::IRegionalSettings& regional) const;

private:
    const live::TClientSession* m_session = nullptr; // compared, never read: it may be gone
    std::string m_id;
    std::string m_machine;
    std::optional<live::TUnitView> m_view; // as last seen
    bool m_present = false;                // the client still holds it
    double m_utcNow = 0;
    double m_shift = 0;
    std::unique_ptr<workunits::TWUs> m_copy;
};

// Local time less UTC, in whole quarter hours: the two clocks are read a moment apart.
[[nodiscard]] double LocalShift(const util::IClock& local, const util::IClock& utc);

} // namespace korvid::window
