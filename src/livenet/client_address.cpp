#include "livenet/client_address.h"

#include <charconv>

namespace korvid::livenet {
namespace {

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view Blank = " \t\r\n";
    const std::size_t first = text.find_first_not_of(Blank);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blank) - first + 1);
}

} // namespace

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

std::vector<TClientEntry> ParseClientList(std::string_view text)
{
    std::vector<TClientEntry> entries;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(",;");
        const std::string_view entry = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (entry.empty())
            continue;
        const std::size_t equals = entry.find('=');
        TClientEntry& added = entries.emplace_back();
        added.Text = entry;
        added.Address = ParseClientAddress(Trimmed(entry.substr(0, equals)));
        if (equals != std::string_view::npos)
            added.Name = Trimmed(entry.substr(equals + 1));
    }
    return entries;
}

} // namespace korvid::livenet
