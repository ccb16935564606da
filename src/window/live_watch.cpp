#include "window/live_watch.h"

#include <algorithm>
#include <array>
#include <utility>

#include "window/text_format.h"

namespace korvid::window {

bool EndedWithoutCredit(std::string_view status)
{
    static constexpr std::array<std::string_view, 13> NoLoss = {
        "",       "CREDITED", "ASSIGN", "DOWNLOAD", "CORE", "RUN",  "FINISH",
        "UPLOAD", "WAIT",     "PAUSE",  "DUMP",     "DONE", "CLEAN"};
    return std::find(NoLoss.begin(), NoLoss.end(), status) == NoLoss.end();
}

std::string LiveStatusText(std::string_view status,
                           const std::function<std::string(std::string_view)>& label)
{
    static constexpr std::array<std::string_view, 17> Known = {
        "ASSIGN",  "DOWNLOAD", "CORE",   "RUN",      "FINISH",  "UPLOAD",
        "WAIT",    "PAUSE",    "DUMP",   "DUMPED",   "EXPIRED", "ABORTED",
        "MISSING", "RETRIES",  "FAILED", "REJECTED", "CREDITED"};
    // Only known codes make a key: whatever else a client sends never reaches the catalogue.
    if (std::find(Known.begin(), Known.end(), status) == Known.end())
        return std::string(status);
    std::string text = label("msgLiveStatus" + std::string(status));
    return text.empty() ? std::string(status) : text;
}

void TLiveWatch::Follow(std::size_t clients)
{
    m_clients.assign(clients, {});
}

void TLiveWatch::LinkChanged(std::size_t client, const std::string& machine,
                             const livenet::TLinkStatus& status)
{
    if (client >= m_clients.size())
        return;
    TClientWatch& watch = m_clients[client];
    switch (status.State) {
    case livenet::TLinkState::Connected:
        watch.Told = false;
        break;
    case livenet::TLinkState::Reconnecting:
        // A client restarting after an upgrade, a machine rebooting, is back before the link
        // backs off to its slowest pace: seven failed tries, a minute of refusals or a few of
        // silence. Past that the link tries once a minute, and the donor should look.
        if (!watch.Told && status.RetryInSeconds >= livenet::LastRetry.count()) {
            watch.Told = true;
            Tell(FormatText(m_label("msgLiveUnreachable"), {machine, status.Reason}));
        }
        break;
    case livenet::TLinkState::Connecting:
    case livenet::TLinkState::Unsupported:
        break;
    }
}

void TLiveWatch::UnitEnded(const std::string& machine, const live::TUnitView& unit)
{
    if (EndedWithoutCredit(unit.Status))
        Tell(FormatText(m_label("msgLiveNoCredit"), {machine, static_cast<long long>(unit.Number),
                                                     static_cast<long long>(unit.Project),
                                                     LiveStatusText(unit.Status, m_label)}));
}

void TLiveWatch::Tell(const std::string& text) const
{
    if (m_notice)
        m_notice(text);
}

} // namespace korvid::window
