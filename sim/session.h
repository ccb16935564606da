#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include "sim/simulated_client.h"

namespace korvid::clientsim {

// A captured session: the state sent on connect, then every message after it.
struct TSession {
    nlohmann::json State;
    std::vector<nlohmann::json> Messages;
};

// A stream of concatenated JSON values whose first is an object. Throws std::runtime_error
// naming the value that is not JSON.
[[nodiscard]] TSession ParseSession(std::string_view text);
// Throws util::TError naming the file.
[[nodiscard]] TSession ReadSession(const std::filesystem::path& path);
// Every date the session names moved by one offset, so that the latest date of its state falls
// on now (seconds since 1970): played back later, the units run for hours, not years, and their
// deadlines lie ahead, as a client's would.
void MoveToNow(TSession& session, double nowUnixSeconds);

// Plays a session back at a pace of messages per simulated second. A remote that connects
// midway gets the state as far as the session has come.
class TReplay final : public ISimulatedClient {
public:
    TReplay(TSession session, double messagesPerSecond);

    [[nodiscard]] const nlohmann::json& State() const override { return m_state; }
    std::vector<nlohmann::json> Advance(double seconds) override;
    [[nodiscard]] std::size_t LogEnd() const override { return 0; }
    [[nodiscard]] std::vector<std::string> LogSince(std::size_t) const override { return {}; }
    [[nodiscard]] const std::vector<nlohmann::json>& Finished() const override
    {
        return m_finished;
    }
    // The session plays again from its start.
    void Restart() override;

    [[nodiscard]] bool Done() const { return m_next == m_session.Messages.size(); }

private:
    TSession m_session;
    double m_pace;
    nlohmann::json m_state;
    std::size_t m_next = 0;
    double m_due = 0; // messages owed, fractions carried over
    std::vector<nlohmann::json> m_finished;
};

} // namespace korvid::clientsim
