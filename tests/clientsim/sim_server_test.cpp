#include "sim/sim_server.h"

#include <functional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWebSocket>
#include <gtest/gtest.h>

#include "sim/scripted_client.h"

namespace korvid {
namespace {

using nlohmann::json;

// Collects what a remote receives; waits for it by events, bounded so a fault cannot hang.
struct TRemote {
    QWebSocket Socket;
    std::vector<json> Received;

    TRemote()
    {
        QObject::connect(&Socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            Received.push_back(json::parse(text.toStdString()));
        });
    }

    bool WaitFor(const std::function<bool(const json&)>& wanted)
    {
        const auto got = [&] { return !Received.empty() && wanted(Received.back()); };
        for (const QDeadlineTimer bound(10000); !got() && !bound.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        return got();
    }
};

TEST(SimServer, SendsTheStateOnConnectThenTheLogOnRequest)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    clientsim::TScriptedClient client({});
    clientsim::TSimServer server(client, {.TickSeconds = 3600}); // the test steps the client
    QString error;
    ASSERT_TRUE(server.Start(error)) << error.toStdString();

    TRemote remote;
    remote.Socket.open(QUrl(QString("ws://127.0.0.1:%1/api/websocket").arg(server.Port())));
    ASSERT_TRUE(remote.WaitFor([](const json& m) { return m.is_object(); }));
    EXPECT_EQ(remote.Received.size(), 1u);
    EXPECT_EQ(remote.Received[0], client.State());

    remote.Socket.sendTextMessage(R"({"cmd": "log", "enable": true})");
    ASSERT_TRUE(remote.WaitFor([](const json& m) { return m.size() == 2 && m[0] == "log"; }));
    const std::size_t first = client.LogEnd();
    EXPECT_EQ(remote.Received.back()[1], client.LogSince(0));

    server.Step(30);
    ASSERT_TRUE(remote.WaitFor([](const json& m) { return m.size() == 3 && m[0] == "log"; }));
    EXPECT_EQ(remote.Received.back(), json::array({"log", -2, client.LogSince(first)}));
    EXPECT_GT(remote.Received.size(), 4u); // the units' updates came before their lines
}

} // namespace
} // namespace korvid
