#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace korvid::clientsim {

// What one simulated v8 client holds and says, moved on by simulated seconds so that nothing
// here waits on a clock. The server sends State() to a new remote, then what Advance returns.
class ISimulatedClient {
public:
    virtual ~ISimulatedClient() = default;

    [[nodiscard]] virtual const nlohmann::json& State() const = 0;
    // The messages of that span, in order: updates, and "ping" where a session holds one.
    virtual std::vector<nlohmann::json> Advance(double seconds) = 0;

    // Lines are numbered from the client's start; the oldest may be gone, as from the
    // client's ring of the last lines.
    [[nodiscard]] virtual std::size_t LogEnd() const = 0;
    [[nodiscard]] virtual std::vector<std::string> LogSince(std::size_t line) const = 0;
    // Units that ended, as history records.
    [[nodiscard]] virtual const std::vector<nlohmann::json>& Finished() const = 0;

    // The client starts again: its log begins anew and its units may lie in another order.
    virtual void Restart() = 0;
};

} // namespace korvid::clientsim
