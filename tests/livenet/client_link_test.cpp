#include "livenet/client_link.h"

#include <gtest/gtest.h>

#include <optional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace korvid {
namespace {

using livenet::TLinkState;
using namespace std::chrono_literals;

struct TFakeTimer final : livenet::ITimer {
    std::function<void()> OnTimeout;
    std::optional<std::chrono::milliseconds> Running;
    void Start(std::chrono::milliseconds interval) override { Running = interval; }
    void Stop() override { Running.reset(); }
    void Fire()
    {
        ASSERT_TRUE(Running);
        Running.reset();
        OnTimeout();
    }
};

// The link makes its silence timer first, then its retry timer.
struct TFakeTimers final : livenet::ITimerFactory {
    std::vector<TFakeTimer*> Made;
    std::unique_ptr<livenet::ITimer> MakeTimer(std::function<void()> onTimeout) override
    {
        auto timer = std::make_unique<TFakeTimer>();
        timer->OnTimeout = std::move(onTimeout);
        Made.push_back(timer.get());
        return timer;
    }
    TFakeTimer& Silence() { return *Made.at(0); }
    TFakeTimer& Retry() { return *Made.at(1); }
};

// The first message is the version; "8.1…" is too old; "bad…" is not understood.
struct TScriptedHandler final : livenet::IMessageHandler {
    int Resets = 0;
    livenet::TPeerPhase CurrentPhase = livenet::TPeerPhase::AwaitingState;
    std::string CurrentVersion;

    void Reset() override
    {
        ++Resets;
        CurrentPhase = livenet::TPeerPhase::AwaitingState;
    }
    livenet::TReply Receive(std::string_view message) override
    {
        if (message.starts_with("bad"))
            return {{}, "not JSON"};
        if (CurrentPhase != livenet::TPeerPhase::AwaitingState)
            return {};
        CurrentVersion = message;
        CurrentPhase = message.starts_with("8.1") ? livenet::TPeerPhase::Unsupported
                                                  : livenet::TPeerPhase::Following;
        return {{R"({"cmd":"log","enable":true})", R"({"cmd":"wus","enable":true})"}, {}};
    }
    livenet::TPeerPhase Phase() const override { return CurrentPhase; }
    std::string Version() const override { return CurrentVersion; }
};

struct TRecordingObserver final : livenet::ILinkObserver {
    std::vector<TLinkState> States;
    std::vector<std::string> Lines;
    int Messages = 0;
    void StatusChanged(const livenet::TClientLink& link) override
    {
        States.push_back(link.Status().State);
    }
    void Received(const livenet::TClientLink&) override { ++Messages; }
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
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QWebSocketServer::newConnection, [this] {
            QWebSocket* peer = server.nextPendingConnection();
            peers.push_back(peer);
            received.emplace_back();
            QObject::connect(peer, &QWebSocket::textMessageReceived,
                             [this, index = received.size() - 1](const QString& text) {
                                 received[index].push_back(text.toStdString());
                             });
        });
    }
    livenet::TClientAddress Address(std::string host = "127.0.0.1")
    {
        return {std::move(host), server.serverPort()};
    }
    // The link's first state on the newest connection, and its answer.
    void SendFirstState(const livenet::TClientLink& link, const char* version = "8.4.5")
    {
        ASSERT_TRUE(Until([&] { return !peers.empty() && peers.back()->isValid(); }));
        peers.back()->sendTextMessage(version);
        ASSERT_TRUE(Until([&] { return link.Status().State != TLinkState::Connecting; }));
    }

    QWebSocketServer server{"client", QWebSocketServer::NonSecureMode};
    std::vector<QWebSocket*> peers; // owned by the server
    std::vector<std::vector<std::string>> received;
    TFakeTimers timers;
    TScriptedHandler handler;
    TRecordingObserver observer;
};

TEST_F(ClientLinkTest, OpensTheApiPathWithoutOriginAndSubscribesAfterTheFirstState)
{
    livenet::TClientLink link(Address(), handler, timers, observer);
    link.Start();
    SendFirstState(link);
    EXPECT_EQ(peers.back()->requestUrl().path(), "/api/websocket");
    EXPECT_TRUE(peers.back()->origin().isEmpty());
    ASSERT_TRUE(Until([&] { return received.back().size() == 2; }));
    EXPECT_EQ(received.back()[0], R"({"cmd":"log","enable":true})");
    EXPECT_EQ(link.Status().State, TLinkState::Connected);
    EXPECT_EQ(link.Status().Version, "8.4.5");
    EXPECT_EQ(timers.Silence().Running, std::chrono::milliseconds(30s));
}

TEST_F(ClientLinkTest, ReconnectsAfterSilenceBadInputOrALostPeerAndSubscribesAgain)
{
    struct TRow {
        const char* name;
        std::function<void()> cause;
        const char* reason;
    };
    const TRow rows[] = {
        {"30 s without a message", [this] { timers.Silence().Fire(); }, "no message for 30 s"},
        {"a message the handler refuses", [this] { peers.back()->sendTextMessage("bad {"); },
         "bad message: not JSON"},
        {"the peer gone without a close frame", [this] { peers.back()->abort(); }, ""},
    };
    livenet::TClientLink link(Address(), handler, timers, observer);
    link.Start();
    SendFirstState(link);
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        const int resets = handler.Resets;
        row.cause();
        ASSERT_TRUE(Until([&] { return link.Status().State == TLinkState::Reconnecting; }));
        EXPECT_NE(link.Status().Reason.find(row.reason), std::string::npos) << link.Status().Reason;
        EXPECT_EQ(observer.Lines.back(), Address().Text() + ": " + link.Status().Reason);
        // A first state came since the last drop, so the wait starts over at one second.
        EXPECT_EQ(timers.Retry().Running, std::chrono::milliseconds(1s));
        EXPECT_EQ(link.Status().RetryInSeconds, 1);

        const std::size_t connections = peers.size();
        timers.Retry().Fire();
        ASSERT_TRUE(Until([&] { return peers.size() == connections + 1; }));
        EXPECT_EQ(handler.Resets, resets + 1);
        SendFirstState(link);
        ASSERT_TRUE(Until([&] { return received.back().size() == 2; }));
        EXPECT_EQ(link.Status().State, TLinkState::Connected);
    }
}

TEST_F(ClientLinkTest, BackoffDoublesUpToAMinuteWhileNothingListens)
{
    const livenet::TClientAddress address = Address();
    server.close();
    livenet::TClientLink link(address, handler, timers, observer);
    link.Start();
    std::vector<long long> waits;
    for (int attempt = 0; attempt < 8; ++attempt) {
        ASSERT_TRUE(Until([&] { return timers.Retry().Running.has_value(); }));
        EXPECT_EQ(link.Status().State, TLinkState::Reconnecting);
        EXPECT_FALSE(link.Status().Reason.empty());
        waits.push_back(
            std::chrono::duration_cast<std::chrono::seconds>(*timers.Retry().Running).count());
        timers.Retry().Fire();
    }
    EXPECT_EQ(waits, (std::vector<long long>{1, 2, 4, 8, 16, 32, 60, 60}));
}

TEST_F(ClientLinkTest, TooOldAClientIsAStateOfItsOwnAndStaysConnected)
{
    livenet::TClientLink link(Address(), handler, timers, observer);
    link.Start();
    SendFirstState(link, "8.1.17");
    EXPECT_EQ(link.Status().State, TLinkState::Unsupported);
    EXPECT_EQ(link.Status().Version, "8.1.17");
    EXPECT_FALSE(timers.Retry().Running);
    EXPECT_TRUE(peers.back()->isValid());
}

TEST_F(ClientLinkTest, AHostNameIsReachedByItsIPv4Address)
{
    // The server listens on 127.0.0.1 only: ::1 would find nobody.
    livenet::TClientLink link(Address("localhost"), handler, timers, observer);
    link.Start();
    SendFirstState(link);
    EXPECT_EQ(link.Status().State, TLinkState::Connected);
}

TEST(ParseClientAddress, TakesHostAndOptionalPort)
{
    struct TRow {
        const char* text;
        std::optional<livenet::TClientAddress> expected;
    };
    const TRow rows[] = {
        {"rig1", livenet::TClientAddress{"rig1", 7396}},
        {"192.168.1.20:8101", livenet::TClientAddress{"192.168.1.20", 8101}},
        {"rig1:65535", livenet::TClientAddress{"rig1", 65535}},
        {"rig1:0", std::nullopt},
        {"rig1:65536", std::nullopt},
        {"rig1:", std::nullopt},
        {":7396", std::nullopt},
        {"rig1:80x", std::nullopt},
        {"::1", std::nullopt},
        {"[::1]:7396", std::nullopt},
        {"", std::nullopt},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(livenet::ParseClientAddress(row.text), row.expected);
    }
}

} // namespace
} // namespace korvid
