#include "livenet/client_probe.h"

namespace korvid::livenet {

TClientProbe::TClientProbe(TClientAddress address, const util::IClock& utc, ITimerFactory& timers,
                           std::function<void(TProbeOutcome)> done)
    : m_session(utc), m_link(std::move(address), *this, timers, *this), m_done(std::move(done))
{
}

TReply TClientProbe::Receive(std::string_view message)
{
    TReply reply = m_session.Receive(message);
    // A client that has run for weeks answers the log request with megabytes nobody reads here.
    reply.Send.clear();
    return reply;
}

void TClientProbe::StatusChanged(const TClientLink& link)
{
    TProbeOutcome outcome = TProbeOutcome::NoAnswer;
    switch (link.Status().State) {
    case TLinkState::Connecting:
        return;
    // A client too old to follow still answered: its line on the page says why it is not.
    case TLinkState::Connected:
    case TLinkState::Unsupported:
        outcome = TProbeOutcome::Answered;
        break;
    case TLinkState::Reconnecting:
        break;
    }
    if (m_over)
        return;
    m_over = true;
    m_link.Stop();
    m_done(outcome);
}

} // namespace korvid::livenet
