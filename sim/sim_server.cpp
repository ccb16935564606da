#include "sim/sim_server.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <QHostAddress>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

namespace korvid::clientsim {
namespace {

using nlohmann::json;

QString Text(const json& value)
{
    return QString::fromStdString(value.dump());
}

int Milliseconds(double seconds)
{
    return static_cast<int>(seconds * 1000);
}

} // namespace

TSimServer::TSimServer(ISimulatedClient& client, const TServerOptions& options, QObject* parent)
    : QObject(parent), m_client(client), m_options(options),
      m_server(std::make_unique<QWebSocketServer>(QStringLiteral("korvid-clientsim"),
                                                  QWebSocketServer::NonSecureMode))
{
    connect(m_server.get(), &QWebSocketServer::newConnection, this, &TSimServer::Accept);
    // A browser page names its origin; the client lets in none but its own, and tools send none.
    connect(
        m_server.get(), &QWebSocketServer::originAuthenticationRequired, this,
        [](QWebSocketCorsAuthenticator* check) { check->setAllowed(check->origin().isEmpty()); });
    connect(&m_tick, &QTimer::timeout, this,
            [this] { Step(m_options.TickSeconds * m_options.Speed); });
}

TSimServer::~TSimServer()
{
    for (auto& remote : m_remotes) {
        remote->Socket->disconnect(this);
        remote->Socket->abort();
    }
}

bool TSimServer::Start(QString& error)
{
    if (!m_server->listen(QHostAddress::LocalHost, m_options.Port)) {
        error = m_server->errorString();
        return false;
    }
    m_tick.start(Milliseconds(m_options.TickSeconds));
    const auto after = [this](double seconds, bool repeat, auto fault) {
        if (seconds <= 0)
            return;
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(!repeat);
        connect(timer.get(), &QTimer::timeout, this, fault);
        timer->start(Milliseconds(seconds));
        m_faults.push_back(std::move(timer));
    };
    after(m_options.RestartEverySeconds, true, [this] { Restart(); });
    after(m_options.SilentAfterSeconds, false, [this] { FallSilent(); });
    after(m_options.BadJsonAfterSeconds, false, [this] { SendBadJson(); });
    return true;
}

quint16 TSimServer::Port() const
{
    return m_server->serverPort();
}

void TSimServer::Accept()
{
    while (QWebSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this); // one the loop never came back to delete goes with the server
        const QString path = socket->requestUrl().path();
        const QString api = QStringLiteral("/api/websocket");
        if (m_options.ExactPath ? path != api : !path.startsWith(api)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto remote = std::make_unique<TRemote>();
        remote->Socket = socket;
        remote->Ping = std::make_unique<QTimer>();
        remote->Ping->setSingleShot(true);
        TRemote& r = *remote;
        connect(remote->Ping.get(), &QTimer::timeout, this,
                [this, &r] { Send(r, QStringLiteral("\"ping\"")); });
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, &r](const QString& text) { Command(r, text); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { Forget(socket); });
        if (m_options.DropAfterSeconds > 0)
            QTimer::singleShot(Milliseconds(m_options.DropAfterSeconds), socket,
                               [socket] { socket->abort(); });
        m_remotes.push_back(std::move(remote));
        Send(r, Text(m_client.State()));
    }
}

void TSimServer::Forget(QWebSocket* socket)
{
    const auto found = std::find_if(m_remotes.begin(), m_remotes.end(),
                                    [socket](const auto& r) { return r->Socket == socket; });
    if (found != m_remotes.end())
        m_remotes.erase(found);
    socket->disconnect(this); // a message still queued must not reach the remote just gone
    socket->deleteLater();
}

void TSimServer::Send(TRemote& remote, const QString& text)
{
    if (m_silent)
        return;
    remote.Socket->sendTextMessage(text);
    if (m_options.PingSeconds > 0)
        remote.Ping->start(Milliseconds(m_options.PingSeconds));
}

bool TSimServer::VersionAtLeast(int major, int minor) const
{
    const json& version = m_client.State().value("info", json::object()).value("version", json());
    if (!version.is_string())
        return false;
    int have[2] = {0, 0};
    std::sscanf(version.get_ref<const std::string&>().c_str(), "%d.%d", &have[0], &have[1]);
    return have[0] != major ? have[0] > major : have[1] >= minor;
}

void TSimServer::Command(TRemote& remote, const QString& text)
{
    m_commands.push_back(text.toStdString());
    const json command = json::parse(m_commands.back(), nullptr, false);
    if (!command.is_object() || !command.value("enable", json()).is_boolean())
        return;
    const std::string cmd = command.value("cmd", std::string());
    const bool enable = command["enable"].get<bool>();
    if (cmd == "log") {
        const bool first = enable && !remote.Log;
        remote.Log = enable;
        if (first)
            SendLog(remote, true);
    } else if (cmd == "wus" && VersionAtLeast(8, 4)) {
        if (enable && !remote.Wus) {
            const auto& finished = m_client.Finished();
            Send(remote, Text(json::array({"wus", finished})));
            remote.WusNext = finished.size();
        }
        remote.Wus = enable;
    }
}

void TSimServer::SendLog(TRemote& remote, bool first)
{
    const std::size_t end = m_client.LogEnd();
    if (!first && end == remote.LogNext)
        return;
    std::vector<std::string> lines = m_client.LogSince(remote.LogNext);
    // A remote that fell behind the ring gets the whole list again.
    const bool replace = first || lines.size() < end - remote.LogNext;
    remote.LogNext = end;
    if (!VersionAtLeast(8, 2)) {
        for (auto& line : lines)
            Send(remote, Text(json::array({"log", -1, std::move(line)})));
    } else if (replace) {
        Send(remote, Text(json::array({"log", std::move(lines)})));
    } else {
        Send(remote, Text(json::array({"log", -2, std::move(lines)})));
    }
}

void TSimServer::Step(double simulatedSeconds)
{
    const std::vector<json> messages = m_client.Advance(simulatedSeconds);
    for (const json& message : messages) {
        const QString text = Text(message);
        for (auto& remote : m_remotes)
            Send(*remote, text);
    }
    const auto& finished = m_client.Finished();
    for (auto& remote : m_remotes) {
        if (remote->Log)
            SendLog(*remote, false);
        if (remote->Wus && finished.size() > remote->WusNext) {
            json records = json::array();
            for (std::size_t i = remote->WusNext; i < finished.size(); ++i)
                records.push_back(finished[i]);
            Send(*remote, Text(json::array({"wus", -2, std::move(records)})));
            remote->WusNext = finished.size();
        }
    }
}

void TSimServer::DropAll()
{
    // abort() sends no close frame; disconnected() then forgets each remote.
    std::vector<QWebSocket*> sockets;
    for (auto& remote : m_remotes)
        sockets.push_back(remote->Socket);
    for (QWebSocket* socket : sockets)
        socket->abort();
}

void TSimServer::Restart()
{
    DropAll();
    m_client.Restart();
}

void TSimServer::SendBadJson()
{
    for (auto& remote : m_remotes)
        Send(*remote, QStringLiteral("{\"units\": [{\"state\": \"RUN\", "));
}

} // namespace korvid::clientsim
