#pragma once

#include "SimulatorOptions.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>

#include <optional>

namespace spectrel::sim {

// What the proxy relays and records: the game server it follows, its spectators and the demo it writes.
// The console commands return what the proxy prints in answer, which is often nothing.
class ProxyGame {
public:
    explicit ProxyGame(const SimulatorOptions& options);

    // Runs an rcon command line (everything after the password) and returns what the proxy prints in
    // answer; localAddress is the proxy's own "ip:port", for the status report.
    QByteArray run(const QByteArray& command, const QByteArray& localAddress);

    // The answer to "status"; localAddress is the proxy's own "ip:port".
    QByteArray statusReport(const QByteArray& localAddress) const;

    // arguments: everything after the command word, quotes included.
    QByteArray record(const QByteArray& arguments);
    QByteArray stopRecording();
    QByteArray delay(const QByteArray& arguments);
    bool isRecording() const { return m_demoName.has_value(); }

    void setSpectators(int count);
    void setPlayers(int count) { m_players = count; }
    // Values below 10 seconds turn the delay off, as on the proxy.
    void setDelay(double seconds);
    // Printed as the status report's delay instead of the number, until the delay is set again.
    void setDelayText(const QByteArray& text) { m_delayText = text; }
    void setServerName(const QByteArray& name) { m_serverName = name; }
    void setMap(const QByteArray& map);
    void setGameServer(bool connected);
    bool hasGameServer() const { return m_gameServer; }

    // The proxy's own naming: <name>-<YYMMDDhhmm>-<map>.dem.
    static QByteArray demoFileName(const QByteArray& name, const QDateTime& started, const QByteArray& map);

private:
    struct DemoFile {
        QByteArray name;
        QElapsedTimer length;
    };

    // The proxy's demo client records only while it receives a game; without one it waits for the next.
    void openDemoFile();
    // What the proxy prints on closing the file; empty when none was open.
    QByteArray closeDemoFile();

    QByteArray m_serverAddress;
    QByteArray m_serverName;
    QByteArray m_map;
    std::optional<QByteArray> m_delayText;
    double m_delay = 0;
    int m_players;
    int m_spectators;
    int m_spectatorPeak;
    int m_slots;
    bool m_gameServer;
    QElapsedTimer m_online;
    QElapsedTimer m_gameTime;
    // The name given to "record" while the demo client is active, and the file it writes.
    std::optional<QByteArray> m_demoName;
    std::optional<DemoFile> m_demoFile;
};

} // namespace spectrel::sim
