#include "livenet/client_link.h"

#include <gtest/gtest.h>

#include <optional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include "testing/fake_link_timers.h"

namespace korvid {
namespace {

using livenet::TLinkState;
using livenet::TPeerPhase;
using namespace std::chrono_literals;

// The first message is the version ("8.1…" too old); "bad…" is not understood. The link makes
// its silence timer first, then its retry timer.
struct TScriptedPeer final : livenet::IMessageHandler,
                             livenet::ILinkObserver,
                             test::TFakeLinkTimers {
    int Resets = 0;
    TPeerPhase Now = TPeerPhase::AwaitingState;
    std::string Seen;
    std::vector<std::string> Lines;

    void Reset() override { ++Resets, Now = TPeerPhase::AwaitingState; }
    livenet::TReply Receive(std::string_view message) override
    {
        if (message.starts_with("bad"))
            return {{}, "not JSON"};
        if (Now != TPeerPhase::AwaitingState)
            return {};
        Seen = message;
        Now = message.starts_with("8.1") ? TPeerPhase::Unsupported : TPeerPhase::Following;
        return {{R"({"cmd":"log","enable":true})", R"({"cmd":"wus","enable":true})"}, {}};
    }
    TPeerPhase Phase() const override { return Now; }
    std::string Version() const override { return Seen; }
    void Log(const livenet::TClientLink&, std::string_view line) override
    {
        Lines.emplace_back(line);
    }
};

// Runs the event loop until the condition holds; the bound only keeps a broken link from
// hanging the suite.
template <class TCondition> bool Until(TCondition condition)
{
    const QDeadlineTimer bound(10s);
    while (!condition() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return condition();
}

class ClientLinkTest : public ::testing::Test {
protected:
    // Sockets and look-ups need an event loop; Qt allows one application per process.
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "korvid_livenet_tests", *argv[] = {name, nullptr};
        static const QCoreApplication application(argc, argv);
    }
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            peers.push_back(server.nextPendingConnection());
            peers.back()->setParent(&server);
            QObject::connect(peers.back(), &QWebSocket::textMessageReceived,
                             [this](const QString& text) { received.push_back(text); });
        });
    }
    // The host is a name: the server listens on 127.0.0.1 only, where ::1 would find nobody.
    livenet::TClientLink& Link()
    {
        return link.emplace(livenet::TClientAddress{"localhost", server.serverPort()}, scripted,
                            scripted, scripted);
    }
    // A first state on the newest connection, and the link's answer.
    void SendFirstState(const char* version = "8.4.5")
    {
        ASSERT_TRUE(Until([&] { return !peers.empty() && peers.back()->isValid(); }));
        received.clear();
        peers.back()->sendTextMessage(version);
        ASSERT_TRUE(Until([&] { return link->Status().State != TLinkState::Connecting; }));
    }
    test::TFakeLinkTimer& Silence() { return *scripted.Made.at(0); }
    test::TFakeLinkTimer& Retry() { return *scripted.Made.at(1); }

    QWebSocketServer server{"client", QWebSocketServer::NonSecureMode};
    std::vector<QWebSocket*> peers; // the server's children
    QStringList received;
    TScriptedPeer scripted;
    std::optional<livenet::TClientLink> link;
};

TEST_F(ClientLinkTest, OpensTheApiPathWithoutOriginAndSubscribesAfterTheFirstState)
{
    Link().Start();
    SendFirstState();
    EXPECT_EQ(peers.back()->requestUrl().path(), "/api/websocket");
    EXPECT_TRUE(peers.back()->origin().isEmpty());
    ASSERT_TRUE(Until([&] { return received.size() == 2; }));
    EXPECT_EQ(received[0], R"({"cmd":"log","enable":true})");
    EXPECT_EQ(link->Status().State, TLinkState::Connected);
    EXPECT_EQ(link->Status().Version, "8.4.5");
    EXPECT_EQ(Silence().Running, std::chrono::milliseconds(30s));
}

TEST_F(ClientLinkTest, ReconnectsAfterSilenceBadInputOrALostPeerAndSubscribesAgain)
{
    struct TRow {
        const char* name;
        std::function<void()> cause;
        const char* reason;
    };
    const TRow rows[] = {
        {"30 s without a message", [this] { Silence().Fire(); }, "no message for 30 s"},
        {"a message the handler refuses", [this] { peers.back()->sendTextMessage("bad {"); },
         "bad message: not JSON"},
        {"the peer gone without a close frame", [this] { peers.back()->abort(); }, ""},
    };
    Link().Start();
    SendFirstState();
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const int resets = scripted.Resets;
        row.cause();
        ASSERT_TRUE(Until([&] { return link->Status().State == TLinkState::Reconnecting; }));
        EXPECT_NE(link->Status().Reason.find(row.reason), std::string::npos);
        EXPECT_EQ(scripted.Lines.back(), link->Address().Text() + ": " + link->Status().Reason);
        // A first state came since the last drop, so the wait starts over at one second.
        EXPECT_EQ(Retry().Running, std::chrono::milliseconds(1s));

        const std::size_t connections = peers.size();
        Retry().Fire();
        ASSERT_TRUE(Until([&] { return peers.size() == connections + 1; }));
        EXPECT_EQ(scripted.Resets, resets + 1);
        SendFirstState();
        ASSERT_TRUE(Until([&] { return received.size() == 2; }));
    }
}

TEST_F(ClientLinkTest, BackoffDoublesUpToAMinuteWhileNothingListens)
{
    Link();
    server.close();
    link->Start();
    std::vector<long long> waits;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ASSERT_TRUE(Until([&] { return Retry().Running.has_value(); }));
        EXPECT_EQ(link->Status().RetryInSeconds * 1000, Retry().Running->count());
        waits.push_back(link->Status().RetryInSeconds);
        Retry().Fire();
    }
    EXPECT_EQ(waits, (std::vector<long long>{1, 2, 4, 8, 16, 32, 60, 60}));
}

TEST_F(ClientLinkTest, TooOldAClientIsAStateOfItsOwnAndStaysConnected)
{
    Link().Start();
    SendFirstState("8.1.17");
    EXPECT_EQ(link->Status().State, TLinkState::Unsupported);
    EXPECT_FALSE(Retry().Running);
}

} // namespace
} // namespace korvid
