#include "ProxyGame.h"

#include "RconRequest.h"

#include <algorithm>
#include <cstdio>

namespace spectrel::sim {
namespace {

// Numbers are printed the way the proxy's printf does, which Qt's own formatting does not match in rounding.
QByteArray fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return QByteArray(buffer);
}

QByteArray clock(const QElapsedTimer& timer)
{
    const qint64 seconds = timer.isValid() ? timer.elapsed() / 1000 : 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return QByteArray(buffer);
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

} // namespace

ProxyGame::ProxyGame(const SimulatorOptions& options)
    : m_serverAddress(options.serverAddress), m_serverName(options.serverName), m_map(options.map),
      m_delayText(options.delayText), m_delay(options.delay), m_players(options.players),
      m_spectators(options.spectators), m_spectatorPeak(std::max(options.maxSpectators, options.spectators)),
      m_slots(options.slots), m_gameServer(options.gameServer)
{
    m_online.start();
    m_gameTime.start();
    if (options.recording && m_gameServer)
        startDemo(*options.recording);
}

QByteArray ProxyGame::statusReport(const QByteArray& localAddress) const
{
    // Made-up traffic figures that at least move with the audience.
    const double networkIn = m_gameServer ? 2.0 + 0.2 * m_players : 0.0;
    const double networkOut = m_gameServer ? 0.5 + 1.2 * m_spectators : 0.0;
    const QByteArray spectators =
        number(m_slots) + ", Spectators " + number(m_spectators) + " (max " + number(m_spectatorPeak) + ")";

    QByteArray report = "--- HLTV Status ---\n";
    report += "Online " + clock(m_online) + ", FPS " + fixed(m_gameServer ? 100.0 : 0.0, 1) +
              ", Version 4510 (Linux)\n";
    report += "Local IP " + localAddress + ", Network In " + fixed(networkIn, 1) + ", Out " +
              fixed(networkOut, 1) + ", Loss 0.00\n";
    report += "Local Slots " + spectators + ", Proxies 0\n";
    report += "Total Slots " + spectators + ", Proxies 1\n";
    if (!m_gameServer)
        return report;
    report += "Connected to Game Server " + m_serverAddress + ", Delay " +
              (m_delayText ? *m_delayText : fixed(m_delay, 0)) + "\n";
    report += "Server Name \"" + m_serverName + "\"\n";
    report += "Game Time " + clock(m_gameTime) + ", Mod \"cstrike\", Map \"" + m_map + ".bsp\", Players " +
              number(m_players) + "\n";
    if (m_demo)
        report += "Recording to " + m_demo->fileName + ", Length " +
                  fixed(m_demo->length.elapsed() / 1000.0, 1) + " sec.\n";
    return report;
}

ProxyGame::Outcome ProxyGame::record(const QByteArray& argument)
{
    const QByteArray name = firstArgument(argument);
    if (name.isEmpty())
        return {false, "Syntax: record <filename>\n"};
    if (!m_gameServer)
        return {false, "Not connected to a game server. Cannot record.\n"};
    if (m_demo)
        return {false, "Already recording to " + m_demo->fileName + ".\n"};
    startDemo(name);
    return {true, "Start recording to " + m_demo->fileName + ".\nRecording initialized.\n"};
}

ProxyGame::Outcome ProxyGame::stopRecording()
{
    if (!m_demo)
        return {false, "Not recording.\n"};
    const QByteArray reply = "Completed demo " + m_demo->fileName + ".\n";
    m_demo.reset();
    return {true, reply};
}

void ProxyGame::setSpectators(int count)
{
    m_spectators = count;
    m_spectatorPeak = std::max(m_spectatorPeak, count);
}

void ProxyGame::setDelay(double seconds)
{
    m_delay = seconds;
    m_delayText.reset();
}

void ProxyGame::setMap(const QByteArray& map)
{
    m_map = map;
    m_gameTime.restart();
    // The proxy goes on recording after a map change, in a new file named after the new map.
    if (m_demo)
        startDemo(m_demo->name);
}

void ProxyGame::setGameServer(bool connected)
{
    m_gameServer = connected;
    if (!connected)
        m_demo.reset();
    else
        m_gameTime.restart();
}

QByteArray ProxyGame::demoFileName(const QByteArray& name, const QDateTime& started, const QByteArray& map)
{
    return name + "-" + started.toString(QStringLiteral("yyMMddhhmm")).toLatin1() + "-" + map + ".dem";
}

void ProxyGame::startDemo(const QByteArray& name)
{
    Demo demo;
    demo.name = name;
    demo.fileName = demoFileName(name, QDateTime::currentDateTime(), m_map);
    demo.length.start();
    m_demo = std::move(demo);
}

} // namespace spectrel::sim
