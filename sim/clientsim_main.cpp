// korvid-clientsim: simulated v8 clients on 127.0.0.1, one port each. The first lines on stdout
// are the ports, one a line.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include "sim/farm.h"
#include "sim/scripted_client.h"
#include "sim/session.h"
#include "sim/sim_server.h"
#include "util/error.h"

namespace {

using namespace korvid::clientsim;

struct TOption {
    const char* Name;
    const char* Help;
    const char* Default;
};

constexpr TOption Options[] = {
    {"port", "Port to listen on, 0 for any free one; with --clients the first of a row", "0"},
    {"clients", "Scripted: clients served by this process, each on a port of its own", "1"},
    {"name", "Machine name the client announces", ""},
    {"replay", "Play this captured session back", ""},
    {"pace", "Replay: messages per second", "20"},
    {"groups", "Scripted: resource groups folding side by side", "2"},
    {"units", "Scripted: units each group folds, 0 for no end", "0"},
    {"seed", "Scripted: seed of the units' projects, pauses and ends", "1"},
    {"unit-seconds", "Scripted: run time of one unit", "600"},
    {"client-version", "Scripted: 8.1, 8.2, 8.3, 8.4.0, 8.4.5 or 8.5.7", "8.4.5"},
    {"speed", "Simulated seconds per real second", "1"},
    {"warm-up", "Simulated seconds the client folds before it listens", "0"},
    {"ping", "Send \"ping\" after this many seconds of silence, 0 never", "15"},
    {"drop-after", "Abort each connection this many seconds after it opened", "0"},
    {"restart-every", "Restart with re-indexed units every so many seconds", "0"},
    {"silent-after", "Send nothing at all after this many seconds", "0"},
    {"bad-json-after", "Send a text that is not JSON after this many seconds", "0"},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("A simulated v8 client serving /api/websocket on 127.0.0.1");
    parser.addHelpOption();
    for (const TOption& o : Options)
        parser.addOption({o.Name, o.Help, "value", o.Default});
    parser.process(app);
    const auto number = [&](const char* name) {
        bool ok = false;
        const double value = parser.value(name).toDouble(&ok);
        if (!ok || value < 0) {
            std::fprintf(stderr, "korvid-clientsim: --%s needs a number of 0 or more\n", name);
            std::exit(2);
        }
        return value;
    };

    std::vector<std::unique_ptr<ISimulatedClient>> clients;
    TServerOptions server;
    server.Port = static_cast<quint16>(number("port"));
    server.Speed = number("speed");
    if (server.Speed > 3600) { // an hour a second already ends a unit in a blink
        std::fprintf(stderr, "korvid-clientsim: --speed is at most 3600\n");
        return 2;
    }
    const double count = number("clients");
    if (count < 1 || count > 1000 || (server.Port != 0 && server.Port + count - 1 > 65535)) {
        std::fprintf(stderr, "korvid-clientsim: --clients takes 1 to 1000, with ports up to "
                             "65535\n");
        return 2;
    }
    if (count > 1 && parser.isSet("replay")) {
        std::fprintf(stderr, "korvid-clientsim: --clients serves scripted clients only\n");
        return 2;
    }
    server.PingSeconds = number("ping");
    server.DropAfterSeconds = number("drop-after");
    server.RestartEverySeconds = number("restart-every");
    server.SilentAfterSeconds = number("silent-after");
    server.BadJsonAfterSeconds = number("bad-json-after");
    const std::string name = parser.value("name").toStdString();
    try {
        if (parser.isSet("replay")) {
            TSession session = ReadSession(parser.value("replay").toStdString());
            if (!name.empty())
                session.State["info"]["mach_name"] = name;
            MoveToNow(session, static_cast<double>(QDateTime::currentSecsSinceEpoch()));
            server.ExactPath = false; // the captured client is an 8.4
            clients.push_back(std::make_unique<TReplay>(std::move(session), number("pace")));
        } else {
            TScriptOptions script;
            script.Groups = static_cast<int>(number("groups"));
            script.Units = static_cast<int>(number("units"));
            script.Seed = static_cast<std::uint64_t>(number("seed"));
            script.UnitSeconds = number("unit-seconds");
            script.Version = parser.value("client-version").toStdString();
            script.MachineName = name;
            // The warm-up runs the client ahead: it starts that much earlier, so that its dates
            // meet the wall clock and its run times are not in the future.
            script.StartEpoch =
                static_cast<double>(QDateTime::currentSecsSinceEpoch()) - number("warm-up");
            for (const TScriptOptions& one : FarmScripts(script, static_cast<int>(count))) {
                auto scripted = std::make_unique<TScriptedClient>(one);
                server.ExactPath = scripted->Version() >= TVersion::V857;
                clients.push_back(std::move(scripted));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvid-clientsim: %s\n", e.what());
        return 1;
    }

    std::vector<std::unique_ptr<TSimServer>> servers;
    for (const auto& client : clients) {
        // Tests want units with frames from the first message on, without waiting for them.
        client->Advance(number("warm-up"));
        auto& simServer = *servers.emplace_back(std::make_unique<TSimServer>(*client, server));
        QString error;
        if (!simServer.Start(error)) {
            std::fprintf(stderr, "korvid-clientsim: cannot listen on port %u: %s\n",
                         static_cast<unsigned>(server.Port), qPrintable(error));
            return 1;
        }
        std::printf("%u\n", static_cast<unsigned>(simServer.Port()));
        if (server.Port != 0)
            ++server.Port;
    }
    std::fflush(stdout);
    return QCoreApplication::exec();
}
