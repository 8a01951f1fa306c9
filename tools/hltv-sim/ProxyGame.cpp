#include "ProxyGame.h"

#include "RconRequest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace spectrel::sim {
namespace {

// Below this the proxy broadcasts without delay.
constexpr double kLeastDelay = 10;

// Numbers are printed the way the proxy's printf does, which Qt's own formatting does not match in rounding.
QByteArray fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return QByteArray(buffer);
}

// mm:ss, or hh:mm:ss past an hour.
QByteArray clock(const QElapsedTimer& timer)
{
    const long long seconds = timer.isValid() ? timer.elapsed() / 1000 : 0;
    char buffer[32];
    if (seconds >= 3600)
        std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%02lld:%02lld", seconds / 60, seconds % 60);
    return QByteArray(buffer);
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

void console(const QByteArray& text)
{
    if (!text.isEmpty())
        std::fprintf(stderr, "%s", text.constData());
}

} // namespace

ProxyGame::ProxyGame(const SimulatorOptions& options)
    : m_serverAddress(options.serverAddress), m_serverName(options.serverName), m_map(options.map),
      m_players(options.players), m_spectators(options.spectators),
      m_spectatorPeak(std::max(options.maxSpectators, options.spectators)), m_slots(options.slots),
      m_gameServer(options.gameServer)
{
    setDelay(options.delay);
    m_delayText = options.delayText;
    m_online.start();
    m_gameTime.start();
    if (options.recording) {
        m_demoName = *options.recording;
        openDemoFile();
    }
}

QByteArray ProxyGame::statusReport(const QByteArray& localAddress) const
{
    // Made-up traffic figures that at least move with the audience.
    const double networkIn = m_gameServer ? 2.0 + 0.2 * m_players : 0.0;
    const double networkOut = m_gameServer ? 0.5 + 1.2 * m_spectators : 0.0;
    const QByteArray spectators =
        number(m_slots) + ", Spectators " + number(m_spectators) + " (max " + number(m_spectatorPeak) + ")";

    QByteArray report = "--- HLTV Status ---\n";
    report += "Online " + clock(m_online) + ", FPS " + fixed(m_gameServer ? 100.0 : 1.0, 1) +
              ", Version 4510 (Linux)\n";
    report += "Local IP " + localAddress + ", Network In " + fixed(networkIn, 1) + ", Out " +
              fixed(networkOut, 1) + ", Loss 0.00\n";
    report += "Local Slots " + spectators + ", Proxies 0\n";
    if (m_gameServer) {
        report += "Total Slots " + spectators + ", Proxies 1\n";
        report += "Connected to Game Server " + m_serverAddress + ", Delay " +
                  (m_delayText ? *m_delayText : fixed(m_delay, 0)) + "\n";
        report += "Server Name \"" + m_serverName + "\"\n";
        report += "Game Time " + clock(m_gameTime) + ", Mod \"cstrike\", Map \"" + m_map +
                  ".bsp\", Players " + number(m_players) + "\n";
    } else {
        report += "Not connected.\n";
    }
    // An active demo client without a game has no file yet, so its name is empty.
    if (m_demoName)
        report += "Recording to " + (m_demoFile ? m_demoFile->name : QByteArray()) + ", Length " +
                  fixed(m_demoFile ? m_demoFile->length.elapsed() / 1000.0 : 0.0, 1) + " sec.\n";
    return report;
}

QByteArray ProxyGame::run(const QByteArray& command, const QByteArray& localAddress)
{
    QByteArray arguments;
    const QByteArray name = firstArgument(command, &arguments).toLower();
    if (name == "status")
        return statusReport(localAddress);
    if (name == "record")
        return record(arguments);
    if (name == "stoprecording")
        return stopRecording();
    if (name == "delay")
        return delay(arguments);
    // The proxy hands the text on to the game server as chat and prints nothing itself.
    if (name == "say")
        return splitArguments(arguments).isEmpty() ? QByteArray("Syntax: say <text>\n") : QByteArray();
    return "Unknown command \"" + name + "\".\n";
}

QByteArray ProxyGame::record(const QByteArray& arguments)
{
    const QByteArrayList words = splitArguments(arguments);
    if (words.size() != 1)
        return "Syntax: record <filename>\nOutput format is \"filename-date-map.dem\".\n";
    if (m_demoFile)
        return "Already recording to " + m_demoFile->name + ".\n";
    if (m_demoName)
        return "Already recording initialized for " + *m_demoName + ".\n";
    m_demoName = words.first();
    openDemoFile();
    return "Recording initialized.\n";
}

QByteArray ProxyGame::stopRecording()
{
    if (!m_demoName)
        return "Not recording.\n";
    m_demoName.reset();
    return closeDemoFile();
}

QByteArray ProxyGame::delay(const QByteArray& arguments)
{
    const QByteArrayList words = splitArguments(arguments);
    if (words.size() != 1)
        return "Syntax: delay <seconds>\nCurrent spectator delay is " + fixed(m_delay, 1) + " seconds.\n";
    // The proxy reads the number with atof: what is no number counts as 0.
    bool ok = false;
    const double seconds = words.first().toDouble(&ok);
    setDelay(ok && std::isfinite(seconds) ? seconds : 0);
    return {};
}

void ProxyGame::setSpectators(int count)
{
    m_spectators = count;
    m_spectatorPeak = std::max(m_spectatorPeak, count);
}

void ProxyGame::setDelay(double seconds)
{
    m_delay = seconds < kLeastDelay ? 0 : seconds;
    m_delayText.reset();
}

void ProxyGame::setMap(const QByteArray& map)
{
    m_map = map;
    m_gameTime.restart();
    // The proxy goes on recording after a map change, in a new file named after the new map.
    console(closeDemoFile());
    openDemoFile();
}

void ProxyGame::setGameServer(bool connected)
{
    if (connected == m_gameServer)
        return;
    m_gameServer = connected;
    if (connected) {
        m_gameTime.restart();
        openDemoFile();
    } else {
        console(closeDemoFile());
    }
}

QByteArray ProxyGame::demoFileName(const QByteArray& name, const QDateTime& started, const QByteArray& map)
{
    return name + "-" + started.toString(QStringLiteral("yyMMddhhmm")).toLatin1() + "-" + map + ".dem";
}

void ProxyGame::openDemoFile()
{
    if (!m_demoName || !m_gameServer || m_demoFile)
        return;
    DemoFile file;
    file.name = demoFileName(*m_demoName, QDateTime::currentDateTime(), m_map);
    file.length.start();
    m_demoFile = std::move(file);
    console("Start recording to " + m_demoFile->name + ".\n");
}

QByteArray ProxyGame::closeDemoFile()
{
    if (!m_demoFile)
        return {};
    const QByteArray text = "Completed demo " + m_demoFile->name + ".\n";
    m_demoFile.reset();
    return text;
}

} // namespace spectrel::sim
