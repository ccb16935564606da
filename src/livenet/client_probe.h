#pragma once

#include <functional>

#include "livenet/client_address.h"
#include "livenet/client_link.h"
#include "livenet/session_handler.h"

namespace korvid::livenet {

enum class TProbeOutcome { Answered, NoAnswer };

// One try at an address: does a client answer there with its state? It asks for nothing (no log,
// no finished units) and does not retry: the first state, or the first failure, ends it.
class TClientProbe final : private IMessageHandler, private ILinkObserver {
public:
    // Done is called once, from the event loop; the probe may not be destroyed inside it.
    TClientProbe(TClientAddress address, const util::IClock& utc, ITimerFactory& timers,
                 std::function<void(TProbeOutcome)> done);

    void Start() { m_link.Start(); }

private:
    void Reset() override { m_session.Reset(); }
    TReply Receive(std::string_view message) override;
    [[nodiscard]] TPeerPhase Phase() const override { return m_session.Phase(); }
    [[nodiscard]] std::string Version() const override { return m_session.Version(); }
    void StatusChanged(const TClientLink& link) override;

    TSessionHandler m_session;
    TClientLink m_link;
    std::function<void(TProbeOutcome)> m_done;
    bool m_over = false;
};

} // namespace korvid::livenet
