// korvid-clientsim: one simulated v8 client on 127.0.0.1. The first line on stdout is the port.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

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
    {"port", "Port to listen on, 0 for any free one", "0"},
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

    std::unique_ptr<ISimulatedClient> client;
    TServerOptions server;
    server.Port = static_cast<quint16>(number("port"));
    server.Speed = number("speed");
    if (server.Speed > 3600) { // an hour a second already ends a unit in a blink
        std::fprintf(stderr, "korvid-clientsim: --speed is at most 3600\n");
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
            client = std::make_unique<TReplay>(std::move(session), number("pace"));
        } else {
            TScriptOptions script;
            script.Groups = static_cast<int>(number("groups"));
            script.Units = static_cast<int>(number("units"));
            script.Seed = static_cast<std::uint64_t>(number("seed"));
            script.UnitSeconds = number("unit-seconds");
            script.Version = parser.value("client-version").toStdString();
            script.MachineName = name.empty() ? "sim" + std::to_string(script.Seed) : name;
            // The warm-up runs the client ahead: it starts that much earlier, so that its dates
            // meet the wall clock and its run times are not in the future.
            script.StartEpoch =
                static_cast<double>(QDateTime::currentSecsSinceEpoch()) - number("warm-up");
            auto scripted = std::make_unique<TScriptedClient>(script);
            server.ExactPath = scripted->Version() >= TVersion::V857;
            client = std::move(scripted);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvid-clientsim: %s\n", e.what());
        return 1;
    }

    // Tests want units with frames from the first message on, without waiting for them.
    client->Advance(number("warm-up"));
    TSimServer simServer(*client, server);
    QString error;
    if (!simServer.Start(error)) {
        std::fprintf(stderr, "korvid-clientsim: cannot listen on port %u: %s\n",
                     static_cast<unsigned>(server.Port), qPrintable(error));
        return 1;
    }
    std::printf("%u\n", static_cast<unsigned>(simServer.Port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
