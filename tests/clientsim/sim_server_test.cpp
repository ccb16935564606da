#include "sim/sim_server.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebSocket>
#include <gtest/gtest.h>

#include "sim/session.h"

namespace korvid {
namespace {

using nlohmann::json;

// Collects what a remote receives; waits for it by events, bounded so a fault cannot hang.
struct TRemote {
    QWebSocket Socket;
    std::vector<json> Received;

    bool WaitFor(std::size_t count)
    {
        QEventLoop loop;
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        const auto check = [&] {
            if (Received.size() >= count)
                loop.quit();
        };
        QObject::connect(&Socket, &QWebSocket::textMessageReceived, &loop, check);
        bound.start(10000);
        if (Received.size() < count)
            loop.exec();
        return Received.size() >= count;
    }
};

TEST(SimServer, SendsTheStateOnConnectThenTheUpdatesInOrder)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    clientsim::TReplay replay(clientsim::ParseSession(R"({"units": [{"id": "a", "eta": "1m 0s"}]}
["units", 0, "eta", "59s"] "ping" ["units", 0, "eta", "58s"])"),
                              1);
    clientsim::TServerOptions options;
    options.TickSeconds = 3600; // the test steps the client itself
    clientsim::TSimServer server(replay, options);
    QString error;
    ASSERT_TRUE(server.Start(error)) << error.toStdString();

    TRemote remote;
    QObject::connect(&remote.Socket, &QWebSocket::textMessageReceived, [&](const QString& text) {
        remote.Received.push_back(json::parse(text.toStdString()));
    });
    remote.Socket.open(QUrl(QString("ws://127.0.0.1:%1/api/websocket").arg(server.Port())));
    ASSERT_TRUE(remote.WaitFor(1));
    EXPECT_EQ(remote.Received[0], replay.State());
    server.Step(3);
    ASSERT_TRUE(remote.WaitFor(4));
    EXPECT_EQ(remote.Received[1], json::parse(R"(["units", 0, "eta", "59s"])"));
    EXPECT_EQ(remote.Received[2], "ping");
    EXPECT_EQ(remote.Received[3], json::parse(R"(["units", 0, "eta", "58s"])"));
}

} // namespace
} // namespace korvid
