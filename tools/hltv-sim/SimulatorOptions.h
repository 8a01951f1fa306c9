#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>

namespace spectrel::sim {

// Texts are kept as bytes in the proxy's 8-bit code page, the form in which they travel.
struct SimulatorOptions {
    QHostAddress bindAddress{QHostAddress::LocalHost};
    quint16 port = 27020;
    QByteArray password = "demo";
    double delay = 30;
    std::optional<QByteArray> delayText;
    QByteArray map = "de_dust2";
    int players = 10;
    int spectators = 0;
    int maxSpectators = 0;
    int slots = 32;
    QByteArray serverName = "Practice Server #1";
    QByteArray serverAddress = "127.0.0.1:27015";
    bool gameServer = true;
    std::optional<QByteArray> recording;
    bool silent = false;
    bool sayEcho = false;
    // Answer a refused request with "Bad rcon_password." as a game server does, instead of the proxy's
    // silence.
    bool gameServerReplies = false;
    double dropRate = 0;
    int replyDelayMs = 0;
    // The proxy's challenges live 40 seconds.
    qint64 challengeLifetimeMs = 40000;
    bool readConsole = true;
    bool verbose = false;
};

struct OptionsResult {
    enum class Outcome { Run, ShowText, Error };
    Outcome outcome = Outcome::Run;
    // The help or version text for ShowText, a one-line message for Error.
    QString text;
};

// arguments includes the program name, as QCoreApplication::arguments() gives it.
OptionsResult parseOptions(const QStringList& arguments, SimulatorOptions& options);

} // namespace spectrel::sim
