#include "live_report.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "live/client_session.h"
#include "live/unit_json.h"
#include "livenet/client_link.h"
#include "livenet/qt_platform.h"
#include "livenet/session_handler.h"
#include "summary_table.h"

namespace korvid::inspect {
namespace {

constexpr const char* Usage =
    "usage: korvid-inspect --client HOST[:PORT]... [--wait SECONDS] [--summary]\n";
constexpr int DefaultWaitSeconds = 10;
constexpr int MaxWaitSeconds = 3600;

// The log stream's batches are the updates of the root key "log".
bool IsLogBatch(std::string_view message)
{
    constexpr std::string_view Blank = " \t\r\n";
    const std::size_t open = message.find_first_not_of(Blank);
    if (open == std::string_view::npos || message[open] != '[')
        return false;
    const std::size_t key = message.find_first_not_of(Blank, open + 1);
    return key != std::string_view::npos && message.substr(key).starts_with("\"log\"");
}

struct TProgress {
    std::size_t Pending = 0;
    QEventLoop& Loop;
};

// One client followed until the report: ready once its first state and first log batch came,
// or failed at the first thing that went wrong (no retries: the report is a snapshot, and only
// that first failure is told, with the report).
class TWatchedClient final : public livenet::TSessionHandler, public livenet::ILinkObserver {
public:
    TWatchedClient(const util::IClock& clock, TProgress& progress)
        : TSessionHandler(clock), m_progress(progress)
    {
    }

    livenet::TReply Receive(std::string_view message) override
    {
        livenet::TReply reply = TSessionHandler::Receive(message);
        if (reply.Error.empty() && Session().Phase() != live::TSessionPhase::AwaitingState &&
            IsLogBatch(message))
            LogCame = true;
        return reply;
    }

    void StatusChanged(const livenet::TClientLink& link) override
    {
        const livenet::TLinkStatus& status = link.Status();
        switch (status.State) {
        case livenet::TLinkState::Reconnecting:
            Fail(status.Reason);
            break;
        case livenet::TLinkState::Unsupported:
            Fail("version " + status.Version + " is not supported");
            break;
        case livenet::TLinkState::Connecting:
        case livenet::TLinkState::Connected:
            break;
        }
        CountWhenDone();
    }
    void Received(const livenet::TClientLink&) override { CountWhenDone(); }

    [[nodiscard]] bool HasState() const
    {
        return Session().Phase() != live::TSessionPhase::AwaitingState;
    }

    livenet::TClientLink* Link = nullptr;
    bool LogCame = false;
    std::string Failure;

private:
    void Fail(const std::string& reason)
    {
        if (!m_counted)
            Failure = reason.empty() ? "connection closed" : reason;
    }
    // What the client showed is kept as it was: a later drop would reset the session.
    void CountWhenDone()
    {
        if (m_counted || (Failure.empty() && !(HasState() && LogCame)))
            return;
        m_counted = true;
        Link->Stop();
        if (--m_progress.Pending == 0)
            m_progress.Loop.quit();
    }

    TProgress& m_progress;
    bool m_counted = false;
};

std::string Number(long long value)
{
    return value < 0 ? "?" : std::to_string(value);
}

std::string PpdText(double ppd)
{
    return std::isfinite(ppd) ? std::to_string(std::llround(ppd)) : "?";
}

TTableRow UnitRow(const TClientReport& client, std::size_t index)
{
    const live::TUnitView& unit = client.Units[index];
    const workunits::TWU* logged = client.Logged[index];
    std::string core = "?";
    if (unit.Core != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned>(unit.Core));
        core = unit.CoreName.empty() || unit.CoreName == "?" ? code : code + (" " + unit.CoreName);
    }
    std::string frames = "-";
    if (logged != nullptr && !logged->Steps.Empty())
        frames = std::to_string(std::max(0, logged->Steps.Back().Frame)) + "/" +
                 (logged->FramesExpected > 0 ? std::to_string(logged->FramesExpected) : "?");
    char progress[16];
    std::snprintf(progress, sizeof progress, "%.1f%%", unit.Progress);
    TTableRow row;
    row.Cells = {unit.Machine.empty() ? client.Machine : unit.Machine, Number(unit.Project),
                 Number(unit.Run) + "/" + Number(unit.Clone) + "/" + Number(unit.Gen), core,
                 std::string(live::StatusText(unit.Status)), progress, frames,
                 // The log's frames are the client's own; the state gives only percent.
                 logged != nullptr && logged->Benchmark().Kept > 0
                     ? SecondsText(logged->Benchmark().Average)
                     : SecondsText(unit.TpfSeconds),
                 unit.EtaSeconds ? SecondsText(*unit.EtaSeconds) : "-", PpdText(unit.Ppd)};
    row.Tone = unit.Status == "RUN" ? TTone::Running : TTone::Plain;
    return row;
}

std::optional<int> ParseWait(const std::string& text)
{
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        value < 1 || value > MaxWaitSeconds)
        return std::nullopt;
    return value;
}

} // namespace

void WriteClientsJson(std::span<const TClientReport> clients, std::ostream& out)
{
    out << "{\"clients\": [";
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const TClientReport& client = clients[i];
        nlohmann::json units = nlohmann::json::array();
        for (std::size_t k = 0; k < client.Units.size(); ++k)
            units.push_back(live::UnitJson(client.Units[k], client.Logged[k]));
        const nlohmann::json object = {{"address", client.Address},
                                       {"machine", client.Machine},
                                       {"version", client.Version},
                                       {"ppd", client.Ppd},
                                       {"units", std::move(units)}};
        // A log line need not be UTF-8; the report must still be JSON.
        out << (i == 0 ? "\n" : ",\n")
            << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    out << (clients.empty() ? "]}\n" : "\n]}\n");
}

void WriteClientsSummary(std::span<const TClientReport> clients, std::ostream& out, bool colour)
{
    static const std::vector<std::string> unitHeader = {
        "Machine",  "Project", "R/C/G",     "Core", "Status",
        "Progress", "Frames",  "Per frame", "ETA",  "PPD"};
    static constexpr bool UnitRight[] = {false, true, true, false, false,
                                         true,  true, true, true,  true};
    std::vector<TTableRow> units;
    std::vector<TTableRow> machines;
    double total = 0;
    for (const TClientReport& client : clients) {
        for (std::size_t k = 0; k < client.Units.size(); ++k)
            units.push_back(UnitRow(client, k));
        machines.push_back({{client.Machine, client.Address, client.Version, PpdText(client.Ppd)}});
        total += client.Ppd;
    }
    machines.push_back({{"total", "", "", PpdText(total)}});
    WriteAlignedTable(unitHeader, units, UnitRight, colour, out);
    out << '\n';
    static constexpr bool MachineRight[] = {false, false, false, true};
    WriteAlignedTable({"Machine", "Address", "Version", "PPD"}, machines, MachineRight, false, out);
}

bool AsksForClients(const std::vector<std::string>& args)
{
    return std::find(args.begin(), args.end(), "--client") != args.end();
}

int RunClients(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool outIsTerminal)
{
    std::vector<livenet::TClientAddress> addresses;
    int waitSeconds = DefaultWaitSeconds;
    bool summary = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--client") {
            const auto address =
                i + 1 < args.size() ? livenet::ParseClientAddress(args[++i]) : std::nullopt;
            if (!address) {
                err << "korvid-inspect: --client needs HOST or HOST:PORT\n" << Usage;
                return 2;
            }
            addresses.push_back(*address);
        } else if (arg == "--wait") {
            const auto wait = i + 1 < args.size() ? ParseWait(args[++i]) : std::nullopt;
            if (!wait) {
                err << "korvid-inspect: --wait needs whole seconds from 1 to " << MaxWaitSeconds
                    << "\n"
                    << Usage;
                return 2;
            }
            waitSeconds = *wait;
        } else if (arg == "--summary") {
            summary = true;
        } else {
            err << "korvid-inspect: " << arg << " does not go with --client\n" << Usage;
            return 2;
        }
    }

    // Sockets need an event loop, and Qt one application object per process.
    std::optional<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "korvid-inspect";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        application.emplace(argc, argv);

    const livenet::TQtUtcClock clock;
    livenet::TQtTimerFactory timers;
    QEventLoop loop;
    TProgress progress{addresses.size(), loop};
    std::deque<TWatchedClient> clients; // addresses stay put for the links
    std::vector<std::unique_ptr<livenet::TClientLink>> links;
    for (const livenet::TClientAddress& address : addresses) {
        TWatchedClient& client = clients.emplace_back(clock, progress);
        links.push_back(std::make_unique<livenet::TClientLink>(address, client, timers, client));
        client.Link = links.back().get();
    }
    for (const auto& link : links)
        link->Start();
    QTimer::singleShot(std::chrono::seconds(waitSeconds), &loop, &QEventLoop::quit);
    if (progress.Pending > 0)
        loop.exec();

    int status = 0;
    std::vector<TClientReport> reports;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        TWatchedClient& client = clients[i];
        const std::string address = addresses[i].Text();
        const std::string failure = !client.Failure.empty() ? client.Failure
                                    : !client.HasState()
                                        ? "no state within " + std::to_string(waitSeconds) + " s"
                                        : "";
        if (!failure.empty()) {
            err << "korvid-inspect: " << address << ": " << failure << "\n";
            status = 1;
            continue;
        }
        if (!client.LogCame)
            err << "korvid-inspect: " << address << ": no log within " << waitSeconds
                << " s: units without frames\n";
        TClientReport& report = reports.emplace_back();
        report.Address = address;
        report.Machine = client.Session().MachineName();
        report.Version = client.Session().Version();
        report.Ppd = client.Session().TotalPpd();
        report.Units = client.Session().Units();
        for (const live::TUnitView& unit : report.Units)
            report.Logged.push_back(client.Session().LoggedUnit(unit));
    }
    if (summary)
        WriteClientsSummary(reports, out, outIsTerminal);
    else
        WriteClientsJson(reports, out);
    return status;
}

} // namespace korvid::inspect
