#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One entry of the setting that lists the clients to follow.
struct TClientEntry {
    std::string Text; // as written, for a message when it names no client
    std::optional<TClientAddress> Address;
    std::string Name; // empty: the name the client gives itself
    bool operator==(const TClientEntry&) const = default;
};

// "host[:port][=name]" entries separated by commas or semicolons; blanks around each part and
// empty entries are ignored. An entry that names no client is kept without an address, so that
// it can be shown rather than silently dropped.
[[nodiscard]] std::vector<TClientEntry> ParseClientList(std::string_view text);

} // namespace korvid::livenet
