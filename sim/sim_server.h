#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

#include "sim/simulated_client.h"

class QWebSocket;
class QWebSocketServer;

namespace korvid::clientsim {

struct TServerOptions {
    quint16 Port = 0;          // 0: any free port
    bool ExactPath = true;     // 8.5 serves /api/websocket only; earlier clients any path below it
    double TickSeconds = 0.25; // real time between two steps of the client
    double Speed = 1;          // simulated seconds per real second
    double PingSeconds = 15;   // "ping" after this long without another message
    double DropAfterSeconds = 0;    // each connection aborted this long after it opened
    double RestartEverySeconds = 0; // every so often the client restarts
    double SilentAfterSeconds = 0;  // from then on nothing is sent, not even "ping"
    double BadJsonAfterSeconds = 0; // then one text that is not JSON goes to every remote
};

// Serves one simulated client on 127.0.0.1 as a v8 client does: its whole state on connect,
// then every message to every remote in order, and the log and history streams to the remotes
// that ask. Every other command goes unanswered.
class TSimServer final : public QObject {
    Q_OBJECT
public:
    TSimServer(ISimulatedClient& client, const TServerOptions& options, QObject* parent = nullptr);
    ~TSimServer() override;

    // Listens and starts the clock; false with the reason when the port cannot be had.
    bool Start(QString& error);
    [[nodiscard]] quint16 Port() const;
    [[nodiscard]] std::size_t Remotes() const { return m_remotes.size(); }
    // Every text the remotes sent, in the order it came.
    [[nodiscard]] const std::vector<std::string>& Commands() const { return m_commands; }

    // One step of the client, sent on; the clock calls it, a test may too.
    void Step(double simulatedSeconds);
    // Every connection goes without a close frame, as when the client is killed.
    void DropAll();
    // The client starts again; remotes that come back find it restarted.
    void Restart();
    void FallSilent() { m_silent = true; }
    void SendBadJson();

private:
    struct TRemote {
        QWebSocket* Socket = nullptr;
        std::unique_ptr<QTimer> Ping;
        bool Log = false;
        std::size_t LogNext = 0;
        bool Wus = false;
        std::size_t WusNext = 0;
    };

    void Accept();
    void Command(TRemote& remote, const QString& text);
    void Send(TRemote& remote, const QString& text);
    void SendLog(TRemote& remote, bool first);
    void Forget(QWebSocket* socket);
    [[nodiscard]] bool VersionAtLeast(int major, int minor) const;

    ISimulatedClient& m_client;
    TServerOptions m_options;
    std::unique_ptr<QWebSocketServer> m_server;
    std::vector<std::unique_ptr<TRemote>> m_remotes;
    QTimer m_tick;
    std::vector<std::unique_ptr<QTimer>> m_faults;
    bool m_silent = false;
    std::vector<std::string> m_commands;
};

} // namespace korvid::clientsim
