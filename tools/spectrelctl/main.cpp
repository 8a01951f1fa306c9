// spectrelctl: the proxy link from the command line, for scripts and for checking a proxy without the window.
//
//   spectrelctl --host H --port P --password W [--json] [--local-port N] status | record NAME | stop | say
//   TEXT
//
// Exit status: 0 when the request ended with its done-code, 1 when it ended in "error", 2 on bad usage.

#include "core/Clock.h"
#include "core/ConsoleNotices.h"
#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/ProgramTitle.h"
#include "link/ConnectionFields.h"
#include "link/ProxySession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace spectrel;

namespace {

class SilentCues : public Cues {
public:
    void PlayCue(int) override {}
};

// Without a window there is no font to measure in: every character counts as 90 twips, an average
// character of the window's panel font (6 pixels at 96 dots per inch).
constexpr int kTwipsPerCharacter = 90;

[[noreturn]] void usageError(const QString& message)
{
    std::fprintf(stderr,
                 "spectrelctl: %s (usage: spectrelctl --host H --port P --password W [--json] "
                 "status | record NAME | stop | say TEXT)\n",
                 qPrintable(message));
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("spectrelctl"));

    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("host"), QStringLiteral("Proxy host name or address."), QStringLiteral("H")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Proxy UDP port."), QStringLiteral("P")});
    parser.addOption({QStringLiteral("password"), QStringLiteral("Rcon password."), QStringLiteral("W")});
    parser.addOption({QStringLiteral("local-port"),
                      QStringLiteral("Local UDP port (default: any free port)."), QStringLiteral("N"),
                      QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("json"),
         QStringLiteral("Print the status as one JSON object. Texts are fitted to the panel as if "
                        "each character were 90 twips wide (6 pixels at 96 dpi).")});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("status | record NAME | stop | say TEXT"));
    if (!parser.parse(QCoreApplication::arguments()))
        usageError(parser.errorText());

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    const bool known = (command == u"status" && args.size() == 1) ||
                       (command == u"stop" && args.size() == 1) ||
                       (command == u"record" && args.size() == 2) || (command == u"say" && args.size() >= 2);
    if (!known)
        usageError(QStringLiteral("unknown command or wrong arguments: ") + args.join(u' '));
    for (const char* required : {"host", "port", "password"}) {
        if (!parser.isSet(QString::fromLatin1(required)))
            usageError(QStringLiteral("--%1 is required").arg(QString::fromLatin1(required)));
    }
    bool portOk = false;
    const uint localPort = parser.value(QStringLiteral("local-port")).toUInt(&portOk);
    if (!portOk || localPort > 65535)
        usageError(QStringLiteral("--local-port takes a number from 0 to 65535"));

    ConsoleNotices notices;
    SilentCues cues;
    FixedConnectionFields fields(parser.value(QStringLiteral("host")), parser.value(QStringLiteral("port")),
                                 parser.value(QStringLiteral("password")), notices);
    ProxySession* running = nullptr;
    bool failed = false;
    // An unexpected failure: its description on standard error, every waiting request ends, exit status 1.
    ErrorTrap trap([&](const RuntimeFailure& failure) {
        notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
        failed = true;
        if (running)
            running->link().closeSocket();
    });
    const RconLink::Services services{fields, notices, cues, trap, realClock()};
    ProxySession session(services, [](const QString& text) { return int(text.size()) * kTwipsPerCharacter; });
    running = &session;
    QObject::connect(&session, &ProxySession::programMustEnd, [&] {
        failed = true;
        session.link().closeSocket();
    });

    if (session.link().bindSocket(quint16(localPort)) != RconLink::BindResult::Bound) {
        notices.ShowNotice(QStringLiteral("Ports needed by %1 are in use").arg(applicationTitle()),
                           NoticeWarning, QStringLiteral("Warning"));
        return 1;
    }

    bool ok = false;
    trap.run([&] {
        if (command == u"status") {
            session.spectators() = SpectatorWatch{1, -1};
            ok = session.QueryStatus();
        } else if (command == u"record") {
            ok = session.StartRecording(args.at(1));
        } else if (command == u"stop") {
            ok = session.StopRecording();
        } else {
            ok = session.SayToSpectators(args.mid(1).join(u' '));
        }
    });
    ok = ok && !failed;

    const StatusPanel& panel = session.panel();
    if (command == u"status" && parser.isSet(QStringLiteral("json"))) {
        const QJsonObject o{{QStringLiteral("ok"), ok},
                            {QStringLiteral("proxyState"), int(panel.ProxyState)},
                            {QStringLiteral("connectedTo"), panel.server},
                            {QStringLiteral("mapPlayers"), panel.map},
                            {QStringLiteral("delay"), panel.delay},
                            {QStringLiteral("demoStatus"), panel.demo},
                            {QStringLiteral("spectators"), int(session.spectators().count)}};
        std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    } else if (command == u"status" && ok) {
        std::printf("Connected to:   %s\nMap / players:  %s\nDelay:          %s\nDemo status:    %s\n",
                    qPrintable(panel.server), qPrintable(panel.map), qPrintable(panel.delay),
                    qPrintable(panel.demo));
    }
    if (!ok) {
        if (notices.shown().isEmpty())
            std::fprintf(stderr,
                         "spectrelctl: %s ended in error: no reply within 2 s, or one it did not "
                         "recognise\n",
                         qPrintable(command));
        return 1;
    }
    return 0;
}
