#pragma once

#include "SimulatorOptions.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>

#include <optional>

namespace spectrel::sim {

// What the proxy relays and records: the game server it follows, its spectators and the demo it writes.
class ProxyGame {
public:
    struct Outcome {
        bool done = false;
        QByteArray reply;
    };

    explicit ProxyGame(const SimulatorOptions& options);

    // The answer to "status"; localAddress is the proxy's own "ip:port".
    QByteArray statusReport(const QByteArray& localAddress) const;

    // name may still carry the quotes it came with.
    Outcome record(const QByteArray& name);
    Outcome stopRecording();
    bool isRecording() const { return m_demo.has_value(); }

    void setSpectators(int count);
    void setPlayers(int count) { m_players = count; }
    void setDelay(double seconds);
    void setDelayText(const QByteArray& text) { m_delayText = text; }
    void setServerName(const QByteArray& name) { m_serverName = name; }
    void setMap(const QByteArray& map);
    void setGameServer(bool connected);
    bool hasGameServer() const { return m_gameServer; }

    // The proxy's own naming: <name>-<YYMMDDhhmm>-<map>.dem.
    static QByteArray demoFileName(const QByteArray& name, const QDateTime& started, const QByteArray& map);

private:
    struct Demo {
        QByteArray name;
        QByteArray fileName;
        QElapsedTimer length;
    };

    void startDemo(const QByteArray& name);

    QByteArray m_serverAddress;
    QByteArray m_serverName;
    QByteArray m_map;
    std::optional<QByteArray> m_delayText;
    double m_delay;
    int m_players;
    int m_spectators;
    int m_spectatorPeak;
    int m_slots;
    bool m_gameServer;
    QElapsedTimer m_online;
    QElapsedTimer m_gameTime;
    std::optional<Demo> m_demo;
};

} // namespace spectrel::sim
