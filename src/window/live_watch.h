#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "live/client_session.h"
#include "livenet/client_link.h"

namespace korvid::window {

// Whether a unit brought its donor nothing, by the status it ended with: dumped, expired,
// aborted, failed, rejected, or any other result the server gave. A status that is only a state
// (clients before 8.4.5 record no result) says nothing either way.
[[nodiscard]] bool EndedWithoutCredit(std::string_view status);

// The words a donor reads for a unit's status code, from the catalogue; a code the clients are
// not known to send, or one the catalogue lacks, shows as it came.
[[nodiscard]] std::string LiveStatusText(std::string_view status,
                                         const std::function<std::string(std::string_view)>& label);

// Which events of the followed clients need the user, each told once: a machine that stays
// unreachable, a unit that ends without credit.
class TLiveWatch {
public:
    using TLabel = std::function<std::string(std::string_view key)>;
    using TNotice = std::function<void(const std::string& text)>;

    explicit TLiveWatch(TLabel label) : m_label(std::move(label)) {}
    void SetNotice(TNotice notice) { m_notice = std::move(notice); }

    // Other clients are followed: what was known of the earlier ones goes.
    void Follow(std::size_t clients);
    void LinkChanged(std::size_t client, const std::string& machine,
                     const livenet::TLinkStatus& status);
    // A unit ended on the machine, however that became known.
    void UnitEnded(const std::string& machine, const live::TUnitView& unit);

private:
    struct TClientWatch {
        bool Told = false; // of this outage
    };

    void Tell(const std::string& text) const;

    TLabel m_label;
    TNotice m_notice;
    std::vector<TClientWatch> m_clients;
};

} // namespace korvid::window
