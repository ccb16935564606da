#include "livenet/client_address.h"

#include <charconv>

namespace korvid::livenet {

std::optional<TClientAddress> ParseClientAddress(std::string_view text)
{
    TClientAddress address;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view port = text.substr(colon + 1);
        unsigned value = 0;
        const auto result = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || result.ec != std::errc() || result.ptr != port.data() + port.size() ||
            value == 0 || value > 65535)
            return std::nullopt;
        address.Port = static_cast<std::uint16_t>(value);
        text = text.substr(0, colon);
    }
    if (text.empty() || text.find_first_of(" /[]") != std::string_view::npos)
        return std::nullopt;
    address.Host = text;
    return address;
}

} // namespace korvid::livenet
