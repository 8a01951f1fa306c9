#include "SimulatorOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cmath>

namespace spectrel::sim {
namespace {

struct OptionRow {
    const char* name;
    const char* valueName; // nullptr for a flag
    const char* help;
};

const OptionRow kOptions[] = {
    {"port", "N", "UDP port to answer on (default 27020; 0 picks a free port)."},
    {"bind", "ADDR", "Local IP address to bind (default 127.0.0.1)."},
    {"password", "W", "The rcon password (default \"demo\")."},
    {"delay", "SECONDS", "Broadcast delay (default 30; below 10 it is 0, as on the proxy)."},
    {"delay-text", "TEXT", "Print TEXT as the status report's delay instead of the rounded number."},
    {"map", "NAME", "Map of the game server, without .bsp (default de_dust2)."},
    {"players", "N", "Players on the game server (default 10)."},
    {"spectators", "N", "Spectators on the proxy (default 0)."},
    {"max-spectators", "N", "Spectator peak shown as \"(max N)\" (default: the highest count so far)."},
    {"slots", "N", "Spectator slots of the proxy (default 32)."},
    {"server-name", "TEXT", "Name of the game server."},
    {"server-address", "ADDR:PORT", "Address of the game server (default 127.0.0.1:27015)."},
    {"no-game-server", nullptr, "Start without a game server connection."},
    {"recording", "NAME", "Start already recording the demo NAME (as if \"record NAME\" had been sent)."},
    {"silent", nullptr, "Answer nothing at all."},
    {"say-echo", nullptr, "Send one unrecognised line after every say command (the proxy sends none)."},
    {"game-server-replies", nullptr,
     "Answer a wrong password or challenge with \"Bad rcon_password.\" like a game server (the proxy is "
     "silent)."},
    {"drop-rate", "P", "Drop this share (0..1) of the replies at random."},
    {"reply-delay", "MS", "Send every reply this many milliseconds late."},
    {"challenge-lifetime", "SECONDS",
     "How long a challenge stays valid for its sender's address (default 40)."},
    {"no-stdin", nullptr, "Do not read control lines from standard input."},
    {"verbose", nullptr, "Log every datagram on standard error."},
};

bool readInt(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool readDouble(const QString& text, double low, double high, double& out)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return false;
    out = value;
    return true;
}

// One line of the status report carries the text, so a line break would forge further lines.
bool isOneLine(const QString& text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

} // namespace

OptionsResult parseOptions(const QStringList& arguments, SimulatorOptions& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Answers like an HLTV proxy's remote console over UDP. Prints \"listening IP:PORT\", then one line\n"
        "\"rcon COMMAND\" per accepted command on standard output; the proxy's console messages go to\n"
        "standard error.\n"
        "\n"
        "Control lines on standard input (each is acknowledged on standard error with \"ok: LINE\"):\n"
        "  set spectators N      spectators on the proxy (the peak follows)\n"
        "  set players N         players on the game server\n"
        "  set delay SECONDS     the broadcast delay, as the delay command sets it\n"
        "  set delay-text TEXT   print TEXT verbatim as the status report's delay (\"nan\", \"1e9\", "
        "\"2.5\")\n"
        "  set map NAME          the game server changes map (a demo goes on in a new file)\n"
        "  set server-name TEXT  the game server's name\n"
        "  record NAME           start recording, as another admin would\n"
        "  stoprecording         stop recording, as another admin would (\"stop\" is the same)\n"
        "  game-server off|on    lose the game server (no \"Connected to Game Server\") or get it back\n"
        "  silent on|off         answer nothing at all, or answer again\n"
        "  quit                  end the simulator"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const OptionRow& option : kOptions) {
        if (option.valueName)
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                                QString::fromLatin1(option.help),
                                                QString::fromLatin1(option.valueName)));
        else
            parser.addOption(
                QCommandLineOption(QString::fromLatin1(option.name), QString::fromLatin1(option.help)));
    }

    auto fail = [](const QString& message) { return OptionsResult{OptionsResult::Outcome::Error, message}; };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help))
        return {OptionsResult::Outcome::ShowText, parser.helpText()};
    if (parser.isSet(version))
        return {OptionsResult::Outcome::ShowText, QCoreApplication::applicationName() + QLatin1Char(' ') +
                                                      QCoreApplication::applicationVersion() +
                                                      QLatin1Char('\n')};
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    auto bad = [&](const char* name, const char* expected) {
        return fail(QStringLiteral("--%1 \"%2\" is not %3")
                        .arg(QString::fromLatin1(name), value(name), QString::fromLatin1(expected)));
    };

    if (isSet("port")) {
        int port = 0;
        if (!readInt(value("port"), 0, 65535, port))
            return bad("port", "a port number 0..65535");
        options.port = static_cast<quint16>(port);
    }
    if (isSet("bind")) {
        const QHostAddress address(value("bind"));
        if (address.isNull())
            return bad("bind", "an IP address");
        options.bindAddress = address;
    }
    if (isSet("password"))
        options.password = value("password").toLatin1();
    if (isSet("delay") && !readDouble(value("delay"), 0, 1e9, options.delay))
        return bad("delay", "a number of seconds");
    if (isSet("delay-text")) {
        if (!isOneLine(value("delay-text")))
            return bad("delay-text", "one line");
        options.delayText = value("delay-text").toLatin1();
    }
    if (isSet("map")) {
        const QString map = value("map");
        if (map.isEmpty() || map.contains(QLatin1Char(' ')) || map.contains(QLatin1Char('"')) ||
            !isOneLine(map))
            return bad("map", "a map name");
        options.map = map.toLatin1();
    }
    if (isSet("players") && !readInt(value("players"), 0, 999, options.players))
        return bad("players", "a count 0..999");
    if (isSet("spectators") && !readInt(value("spectators"), 0, 99999, options.spectators))
        return bad("spectators", "a count 0..99999");
    if (isSet("max-spectators") && !readInt(value("max-spectators"), 0, 99999, options.maxSpectators))
        return bad("max-spectators", "a count 0..99999");
    if (isSet("slots") && !readInt(value("slots"), 0, 99999, options.slots))
        return bad("slots", "a count 0..99999");
    if (isSet("server-name")) {
        if (!isOneLine(value("server-name")))
            return bad("server-name", "one line");
        options.serverName = value("server-name").toLatin1();
    }
    if (isSet("server-address")) {
        const QString address = value("server-address");
        if (address.isEmpty() || !isOneLine(address))
            return bad("server-address", "an address");
        options.serverAddress = address.toLatin1();
    }
    options.gameServer = !isSet("no-game-server");
    if (isSet("recording")) {
        if (value("recording").isEmpty() || !isOneLine(value("recording")))
            return bad("recording", "a demo name");
        options.recording = value("recording").toLatin1();
    }
    options.silent = isSet("silent");
    options.sayEcho = isSet("say-echo");
    options.gameServerReplies = isSet("game-server-replies");
    if (isSet("drop-rate") && !readDouble(value("drop-rate"), 0, 1, options.dropRate))
        return bad("drop-rate", "a share 0..1");
    if (isSet("reply-delay") && !readInt(value("reply-delay"), 0, 60000, options.replyDelayMs))
        return bad("reply-delay", "a number of milliseconds 0..60000");
    if (isSet("challenge-lifetime")) {
        double seconds = 0;
        if (!readDouble(value("challenge-lifetime"), 0, 86400, seconds))
            return bad("challenge-lifetime", "a number of seconds 0..86400");
        options.challengeLifetimeMs = qint64(seconds * 1000);
    }
    options.readConsole = !isSet("no-stdin");
    options.verbose = isSet("verbose");
    return {};
}

} // namespace spectrel::sim
