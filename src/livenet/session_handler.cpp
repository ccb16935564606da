#include "livenet/session_handler.h"

namespace korvid::livenet {

TReply TSessionHandler::Receive(std::string_view message)
{
    live::TSessionStep step = m_session.Receive(message);
    return {std::move(step.Send), std::move(step.Error)};
}

std::optional<std::string>
TSessionHandler::ControlText(live::TControl control, const std::optional<std::string>& group) const
{
    if (m_session.Phase() != live::TSessionPhase::Live)
        return std::nullopt;
    return live::ControlCommand(control, group);
}

TPeerPhase TSessionHandler::Phase() const
{
    switch (m_session.Phase()) {
    case live::TSessionPhase::AwaitingState:
        return TPeerPhase::AwaitingState;
    case live::TSessionPhase::Live:
    case live::TSessionPhase::ReadOnly:
        return TPeerPhase::Following;
    case live::TSessionPhase::Unsupported:
        return TPeerPhase::Unsupported;
    }
    return TPeerPhase::AwaitingState;
}

} // namespace korvid::livenet
