#pragma once

#include <string>
#include <string_view>

#include "live/client_session.h"
#include "livenet/client_link.h"

namespace korvid::livenet {

// A client's session as the handler of its link: the link carries, the session understands.
class TSessionHandler : public IMessageHandler {
public:
    explicit TSessionHandler(const util::IClock& clock) : m_session(clock) {}

    void Reset() override { m_session.Reset(); }
    TReply Receive(std::string_view message) override;
    [[nodiscard]] TPeerPhase Phase() const override;
    [[nodiscard]] std::string Version() const override { return m_session.Version(); }
    // 8.2 has no groups and is followed read-only; before the state nothing is known.
    [[nodiscard]] std::optional<std::string>
    ControlText(live::TControl control, const std::optional<std::string>& group) const override;

    [[nodiscard]] const live::TClientSession& Session() const { return m_session; }

private:
    live::TClientSession m_session;
};

} // namespace korvid::livenet
