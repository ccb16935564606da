#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvid::livenet {

// The port a client listens on unless its http-addresses says otherwise.
constexpr std::uint16_t DefaultClientPort = 7396;

struct TClientAddress {
    std::string Host;
    std::uint16_t Port = DefaultClientPort;

    [[nodiscard]] std::string Text() const { return Host + ":" + std::to_string(Port); }
    bool operator==(const TClientAddress&) const = default;
};

// "host" or "host:port"; none when the text names no host or no port in 1..65535. IPv6 literals
// are refused: the client lets in IPv4 peers only unless told otherwise.
[[nodiscard]] std::optional<TClientAddress> ParseClientAddress(std::string_view text);

} // namespace korvid::livenet
