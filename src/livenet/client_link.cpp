#include "livenet/client_link.h"

#include <algorithm>

#include <QHostAddress>
#include <QHostInfo>
#include <QUrl>
#include <QWebSocket>

namespace korvid::livenet {

TClientLink::TClientLink(TClientAddress address, IMessageHandler& handler, ITimerFactory& timers,
                         ILinkObserver& observer)
    : m_address(std::move(address)), m_handler(handler), m_observer(observer),
      m_silence(timers.MakeTimer(
          [this] { Drop("no message for " + std::to_string(SilenceLimit.count()) + " s"); })),
      m_retry(timers.MakeTimer([this] { Connect(); }))
{
}

TClientLink::~TClientLink()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    // Deleted here and now: no event loop may be left to take a deleteLater.
    if (m_socket != nullptr) {
        QObject::disconnect(m_socket.get(), nullptr, &m_context, nullptr);
        m_socket->abort();
    }
}

void TClientLink::Start()
{
    Connect();
}

void TClientLink::Stop()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    m_lookup = -1;
    CloseSocket();
    m_silence->Stop();
    m_retry->Stop();
}

bool TClientLink::Control(live::TControl control, const std::optional<std::string>& group)
{
    if (m_status.State != TLinkState::Connected || m_socket == nullptr)
        return false;
    const std::optional<std::string> text = m_handler.ControlText(control, group);
    if (!text)
        return false;
    m_socket->sendTextMessage(QString::fromStdString(*text));
    return true;
}

void TClientLink::Connect()
{
    SetState(TLinkState::Connecting);
    // The silence limit also bounds a look-up or a handshake that never ends.
    m_silence->Start(SilenceLimit);
    const QString host = QString::fromStdString(m_address.Host);
    QHostAddress literal;
    if (literal.setAddress(host)) {
        Open(literal.toString());
        return;
    }
    // Clients before 8.5.7 let in 127.0.0.1 but not ::1, and "localhost" may name ::1 first.
    m_lookup = QHostInfo::lookupHost(host, &m_context, [this](const QHostInfo& info) {
        m_lookup = -1;
        const QList<QHostAddress> found = info.addresses();
        const auto ipv4 = std::find_if(found.begin(), found.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (ipv4 != found.end())
            Open(ipv4->toString());
        else if (info.error() != QHostInfo::NoError)
            Drop(info.errorString().toStdString());
        else
            Drop("no IPv4 address for " + m_address.Host);
    });
}

void TClientLink::Open(const QString& ipv4)
{
    m_handler.Reset();
    // No origin: the client checks an Origin header only when there is one.
    m_socket = std::make_unique<QWebSocket>(QString(), QWebSocketProtocol::VersionLatest);
    m_socket->setMaxAllowedIncomingMessageSize(MaxMessageBytes);
    m_socket->setMaxAllowedIncomingFrameSize(MaxMessageBytes);
    QObject::connect(m_socket.get(), &QWebSocket::textMessageReceived, &m_context,
                     [this](const QString& message) { OnMessage(message); });
    QObject::connect(m_socket.get(), &QWebSocket::disconnected, &m_context, [this] {
        const QString reason = m_socket->closeReason();
        Drop((reason.isEmpty() ? m_socket->errorString() : reason).toStdString());
    });
    QObject::connect(
        m_socket.get(), qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), &m_context,
        [this](QAbstractSocket::SocketError) { Drop(m_socket->errorString().toStdString()); });
    QUrl url;
    url.setScheme("ws");
    url.setHost(ipv4);
    url.setPort(m_address.Port);
    url.setPath("/api/websocket");
    m_socket->open(url);
}

void TClientLink::OnMessage(const QString& message)
{
    m_silence->Start(SilenceLimit);
    const QByteArray bytes = message.toUtf8();
    const TReply reply =
        m_handler.Receive({bytes.constData(), static_cast<std::size_t>(bytes.size())});
    if (!reply.Error.empty()) {
        Drop("bad message: " + reply.Error);
        return;
    }
    for (const std::string& command : reply.Send)
        m_socket->sendTextMessage(QString::fromStdString(command));
    switch (m_handler.Phase()) {
    case TPeerPhase::AwaitingState:
        break;
    case TPeerPhase::Following:
        m_nextRetry = FirstRetry;
        m_status.Version = m_handler.Version();
        SetState(TLinkState::Connected);
        break;
    case TPeerPhase::Unsupported:
        // Kept open: the client's pings keep it alive, and an upgrade restarts the client,
        // which ends this connection and makes the next one read the new version.
        m_status.Version = m_handler.Version();
        SetState(TLinkState::Unsupported);
        break;
    }
    m_observer.Received(*this);
}

void TClientLink::Drop(const std::string& reason)
{
    Stop();
    m_status.Reason = reason.empty() ? "connection closed" : reason;
    m_status.RetryInSeconds = static_cast<int>(m_nextRetry.count());
    m_observer.Log(*this, m_address.Text() + ": " + m_status.Reason);
    m_retry->Start(m_nextRetry);
    m_nextRetry = std::min(m_nextRetry * 2, LastRetry);
    SetState(TLinkState::Reconnecting);
}

void TClientLink::CloseSocket()
{
    if (m_socket == nullptr)
        return;
    // Its own signals may still be on the way, and this may run inside one of them.
    QObject::disconnect(m_socket.get(), nullptr, &m_context, nullptr);
    m_socket->abort();
    m_socket.release()->deleteLater();
}

void TClientLink::SetState(TLinkState state)
{
    const bool changed = state != m_status.State || state == TLinkState::Reconnecting;
    m_status.State = state;
    if (changed)
        m_observer.StatusChanged(*this);
}

} // namespace korvid::livenet
