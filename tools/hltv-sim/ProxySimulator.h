#pragma once

#include "ProxyGame.h"
#include "SimulatorOptions.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

namespace spectrel::sim {

// The remote console of an HLTV proxy on one UDP socket: hands out challenges, checks the password and runs
// the commands a match organiser's tool sends (status, record, stoprecording, say, delay). Like the proxy it
// answers a refused request with silence, and a command that prints nothing with no datagram at all.
class ProxySimulator : public QObject {
    Q_OBJECT
public:
    explicit ProxySimulator(const SimulatorOptions& options, QObject* parent = nullptr);

    bool listen(QString* error);
    QHostAddress localAddress() const { return m_socket.localAddress(); }
    quint16 localPort() const { return m_socket.localPort(); }

    ProxyGame& game() { return m_game; }
    // A silent proxy drops every datagram unread, as one behind a firewall would.
    void setSilent(bool silent) { m_silent = silent; }

Q_SIGNALS:
    // An rcon command that passed the challenge and password checks, exactly as it came after the password.
    void commandAccepted(const QByteArray& command);

private:
    struct Challenge {
        quint32 value = 0;
        QDeadlineTimer expiry;
    };

    void readPendingDatagrams();
    void handleRequest(const QByteArray& text, const QHostAddress& sender, quint16 senderPort);
    void answerChallenge(const QHostAddress& sender, quint16 senderPort);
    bool challengeValid(const QHostAddress& sender, const QByteArray& challenge) const;
    // Logs the refusal on the proxy's console; a game server would also tell the sender.
    void refuse(const char* what, const QByteArray& reply, const QHostAddress& sender, quint16 senderPort);
    void reply(const QByteArray& datagram, const QHostAddress& receiver, quint16 receiverPort);
    void forgetStaleChallenges();

    SimulatorOptions m_options;
    ProxyGame m_game;
    QUdpSocket m_socket;
    // By the sender's IP address alone, as the proxy keeps them: any port of that address may use one.
    QHash<QByteArray, Challenge> m_challenges;
    bool m_silent;
};

} // namespace spectrel::sim
