#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QObject>

#include "live/control.h"
#include "livenet/client_address.h"
#include "livenet/timer.h"

class QWebSocket;

namespace korvid::livenet {

// The first state decides whether the client can be followed at all.
enum class TPeerPhase { AwaitingState, Following, Unsupported };

struct TReply {
    std::vector<std::string> Send; // commands to send now, in order
    std::string Error;             // not empty: the message was bad, and why
};

// What makes sense of a client's messages; the link only carries them.
struct IMessageHandler {
    virtual ~IMessageHandler() = default;
    // A new connection: the next message is a whole state again.
    virtual void Reset() = 0;
    virtual TReply Receive(std::string_view message) = 0;
    [[nodiscard]] virtual TPeerPhase Phase() const = 0;
    [[nodiscard]] virtual std::string Version() const = 0;
    // The text of a command the user asked for, or none while the client takes none.
    [[nodiscard]] virtual std::optional<std::string>
    ControlText(live::TControl /*control*/, const std::optional<std::string>& /*group*/) const
    {
        return std::nullopt;
    }
};

enum class TLinkState { Connecting, Connected, Reconnecting, Unsupported };

struct TLinkStatus {
    TLinkState State = TLinkState::Connecting;
    std::string Version;    // the client's, once its first state came
    std::string Reason;     // why the last connection ended
    int RetryInSeconds = 0; // when Reconnecting
};

class TClientLink;

// Each observer overrides what it needs.
struct ILinkObserver {
    virtual ~ILinkObserver() = default;
    virtual void StatusChanged(const TClientLink& /*link*/) {}
    // A message was taken in: the handler's state may have changed.
    virtual void Received(const TClientLink& /*link*/) {}
    // Something worth a line in a log: a bad message, a lost connection.
    virtual void Log(const TClientLink& /*link*/, std::string_view /*line*/) {}
};

constexpr std::chrono::seconds SilenceLimit{30};
constexpr std::chrono::seconds FirstRetry{1};
constexpr std::chrono::seconds LastRetry{60};
// A client with a long history sends megabytes of log in its first batch.
constexpr qint64 MaxMessageBytes = 64LL << 20;

// One client at one address, kept connected: a connection that fails, falls silent or brings a
// bad message is dropped and opened again after 1, 2, 4 … 60 s.
class TClientLink {
public:
    TClientLink(TClientAddress address, IMessageHandler& handler, ITimerFactory& timers,
                ILinkObserver& observer);
    ~TClientLink();
    TClientLink(const TClientLink&) = delete;
    TClientLink& operator=(const TClientLink&) = delete;

    void Start();
    // Closes the connection and tries no more, telling nobody; Start begins again.
    void Stop();
    [[nodiscard]] const TClientAddress& Address() const { return m_address; }
    [[nodiscard]] const TLinkStatus& Status() const { return m_status; }
    // The only way a command of the user reaches the client: a group's, or with none every
    // group's. False, and nothing sent, unless connected to a client that takes it.
    bool Control(live::TControl control, const std::optional<std::string>& group);

private:
    void Connect();
    void Open(const QString& ipv4);
    void OnMessage(const QString& message);
    void Drop(const std::string& reason);
    void CloseSocket();
    void SetState(TLinkState state);

    TClientAddress m_address;
    IMessageHandler& m_handler;
    ILinkObserver& m_observer;
    TLinkStatus m_status;
    std::unique_ptr<ITimer> m_silence;
    std::unique_ptr<ITimer> m_retry;
    std::chrono::seconds m_nextRetry = FirstRetry;
    QObject m_context; // owns the connections to sockets and look-ups; they end with the link
    std::unique_ptr<QWebSocket> m_socket;
    int m_lookup = -1;
};

} // namespace korvid::livenet
