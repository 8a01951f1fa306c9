// spectrelctl: the proxy link and the recording actions from the command line, for match scripts and for
// checking a proxy without the window.
//
//   spectrelctl --host H --port P --password W [options] status
//   spectrelctl ... record [NAME | --own A --opponent B] [--after-delay]
//   spectrelctl ... stop [--after-delay]
//   spectrelctl ... say TEXT...
//   spectrelctl trigger record|stop
//
// `trigger` presses a hotkey of the running window (for a desktop shortcut where the session offers no global
// hotkeys): the window runs what that hotkey runs. It needs no connection options.
//
// Exit status: 0 when the action did what was asked (for trigger: a running window took it), 1 when it was
// refused or failed (the reason on standard error), 2 on bad usage.

#include "core/Clock.h"
#include "core/ConsoleNotices.h"
#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/InstanceChannel.h"
#include "fields/ClanNameRules.h"
#include "link/ConnectionFields.h"
#include "link/ProxySession.h"
#include "recording/ClanNames.h"
#include "recording/Recorder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QLoggingCategory>

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

const char* const kUsage = "usage: spectrelctl --host H --port P --password W [--json] [--local-port N] "
                           "status | record [NAME | --own A --opponent B] [--after-delay] | "
                           "stop [--after-delay] | say TEXT\n       spectrelctl trigger record|stop";

[[noreturn]] void usageError(const QString& message)
{
    std::fprintf(stderr, "spectrelctl: %s (%s)\n", qPrintable(message), kUsage);
    std::exit(2);
}

// A name the clan-name fields would admit: not blank, at most `maxLength` characters, none that a file name
// cannot hold; `what` names it in the usage error.
QString checkedName(const QString& what, const QString& text, int maxLength)
{
    const QString name = text.trimmed();
    if (name.isEmpty())
        usageError(QStringLiteral("%1 needs a clan name").arg(what));
    if (name.size() > maxLength)
        usageError(QStringLiteral("%1 holds more than %2 characters").arg(what).arg(maxLength));
    const QChar bad = clan::firstForbidden(name);
    if (!bad.isNull())
        usageError(QStringLiteral("%1 holds \"%2\", which a clan name cannot hold").arg(what, bad));
    return name;
}

// The demo name of a record command, by the clan-name fields' rules: NAME is what the two fields make
// together (two names and the dash between them).
QString demoNameFrom(const QCommandLineParser& parser, const QStringList& args)
{
    const bool clans = parser.isSet(QStringLiteral("own")) || parser.isSet(QStringLiteral("opponent"));
    if (clans == (args.size() == 2))
        usageError(QStringLiteral("record takes either NAME or --own and --opponent"));
    if (!clans)
        return checkedName(QStringLiteral("NAME"), args.at(1), 2 * clan::kMaxLength + 1);
    QStringList names;
    for (const char* option : {"own", "opponent"})
        names << checkedName(QStringLiteral("--") + QString::fromLatin1(option),
                             parser.value(QString::fromLatin1(option)), clan::kMaxLength);
    return names.join(u'-');
}

// Hands "trigger record" or "trigger stop" to the running window and waits for its "ok".
int trigger(const QString& what)
{
    QLocalSocket window;
    window.connectToServer(instanceChannelName());
    if (!window.waitForConnected(2000)) {
        std::fprintf(stderr, "spectrelctl: no running Spectrel window to take the trigger\n");
        return 1;
    }
    window.write("trigger " + what.toLatin1() + '\n');
    while (!window.canReadLine()) {
        if (!window.waitForReadyRead(5000)) {
            std::fprintf(stderr, "spectrelctl: the running window did not answer the trigger\n");
            return 1;
        }
    }
    if (window.readLine().trimmed() != "ok") {
        std::fprintf(stderr, "spectrelctl: the running window did not take the trigger\n");
        return 1;
    }
    return 0;
}

void printStatus(const ProxySession& session, const SpectatorWatch& spectators, bool ok, bool json)
{
    const StatusPanel& panel = session.panel();
    if (json) {
        const QJsonObject o{{QStringLiteral("ok"), ok},
                            {QStringLiteral("proxyState"), int(panel.proxyState)},
                            {QStringLiteral("connectedTo"), panel.server},
                            {QStringLiteral("mapPlayers"), panel.map},
                            {QStringLiteral("delay"), panel.delay},
                            {QStringLiteral("demoStatus"), panel.demo},
                            {QStringLiteral("spectators"), int(spectators.count)}};
        std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    } else if (ok) {
        std::printf("Connected to:   %s\nMap / players:  %s\nDelay:          %s\nDemo status:    %s\n",
                    qPrintable(panel.server), qPrintable(panel.map), qPrintable(panel.delay),
                    qPrintable(panel.demo));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A script reads the reason on standard error, not the program's log; QT_LOGGING_RULES still asks for it.
    QLoggingCategory::setFilterRules(QStringLiteral("spectrel.*=false"));
    QCoreApplication::setApplicationName(QStringLiteral("spectrelctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SPECTREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Talks to an HLTV proxy's remote console, or to the running "
                       "Spectrel window, from the command line.\n") +
        QString::fromLatin1(kUsage));
    parser.addHelpOption();
    parser.addVersionOption();
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
    parser.addOption(
        {QStringLiteral("own"), QStringLiteral("Your clan's name (record)."), QStringLiteral("A")});
    parser.addOption({QStringLiteral("opponent"), QStringLiteral("The opponent clan's name (record)."),
                      QStringLiteral("B")});
    parser.addOption({QStringLiteral("after-delay"),
                      QStringLiteral("Count the proxy's broadcast delay down first, printing each second, so "
                                     "the demo starts or ends with what the spectators see.")});
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("status | record [NAME] | stop | say TEXT | trigger record|stop"));
    if (!parser.parse(QCoreApplication::arguments()))
        usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    if (command == u"trigger") {
        if (args.size() != 2 || (args.at(1) != u"record" && args.at(1) != u"stop"))
            usageError(QStringLiteral("trigger takes record or stop"));
        return trigger(args.at(1));
    }
    const bool known = (command == u"status" && args.size() == 1) ||
                       (command == u"stop" && args.size() == 1) ||
                       (command == u"record" && args.size() <= 2) || (command == u"say" && args.size() >= 2);
    if (!known)
        usageError(QStringLiteral("unknown command or wrong arguments: ") + args.join(u' '));
    const bool afterDelay = parser.isSet(QStringLiteral("after-delay"));
    if (afterDelay && command != u"record" && command != u"stop")
        usageError(QStringLiteral("--after-delay goes with record and stop"));
    const QString demoName = command == u"record" ? demoNameFrom(parser, args) : QString();
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
    FixedClanNames clans(demoName);
    QEventLoop countdown;
    ProxySession* running = nullptr;
    bool failed = false;
    // An unexpected failure: its description on standard error, every waiting request ends, exit status 1.
    const auto fail = [&] {
        failed = true;
        if (running)
            running->link().closeSocket();
        countdown.quit();
    };
    ErrorTrap trap([&](const RuntimeFailure& failure) {
        notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
        fail();
    });
    const RconLink::Services services{fields, notices, cues, trap, realClock()};
    ProxySession session(services, [](const QString& text) { return int(text.size()) * kTwipsPerCharacter; });
    running = &session;
    QObject::connect(&session, &ProxySession::programMustEnd, fail);
    Recorder recorder(session, clans, notices, cues, trap, realClock());

    const RconLink::BindResult bound = session.link().bindSocket(quint16(localPort));
    if (bound == RconLink::BindResult::PortInUse) {
        notices.ShowNotice(RconLink::portsInUseText(), NoticeWarning, QStringLiteral("Warning"));
        return 1;
    }
    if (bound == RconLink::BindResult::Failed) { // no permission for a low port, say
        std::fprintf(stderr, "spectrelctl: Cannot use local UDP port %u: %s\n", localPort,
                     qPrintable(session.link().socketErrorText()));
        return 1;
    }

    bool ok = false;
    trap.run([&] {
        if (command == u"status") {
            SpectatorWatch spectators{true, -1}; // the count is read from this report
            session.setSpectatorWatch(&spectators);
            ok = session.QueryStatus();
            printStatus(session, spectators, ok, parser.isSet(QStringLiteral("json")));
            return;
        }
        if (command == u"say") {
            ok = session.SayToSpectators(args.mid(1).join(u' '));
            return;
        }
        const bool record = command == u"record";
        QObject::connect(&recorder, &Recorder::countdownShown, [](const QString& text) {
            std::printf("%s\n", qPrintable(text));
            std::fflush(stdout);
        });
        Recorder::Outcome outcome = afterDelay
                                        ? (record ? recorder.recordAfterDelay() : recorder.stopAfterDelay())
                                        : (record ? recorder.recordNow() : recorder.stopNow());
        if (outcome == Recorder::Outcome::CountingDown) {
            QObject::connect(&recorder, &Recorder::finished, [&](Recorder::Outcome end) {
                outcome = end;
                countdown.quit();
            });
            QObject::connect(&recorder, &Recorder::countdownCancelled, &countdown, &QEventLoop::quit);
            countdown.exec();
            if (outcome == Recorder::Outcome::CountingDown) // cancelled: the proxy went offline meanwhile
                notices.ShowNotice(Recorder::offlineWarning(), NoticeWarning, QStringLiteral("Warning"));
        }
        ok = outcome == Recorder::Outcome::Sent || (!record && outcome == Recorder::Outcome::Nothing);
        if (outcome == Recorder::Outcome::QueryFailed || outcome == Recorder::Outcome::SendFailed)
            std::fprintf(stderr,
                         "spectrelctl: %s ended in error: no reply within 2 s, or one it did not recognise\n",
                         qPrintable(command));
    });
    if (!ok && !failed && command != u"record" && command != u"stop" && notices.shown().isEmpty())
        std::fprintf(stderr,
                     "spectrelctl: %s ended in error: no reply within 2 s, or one it did not recognise\n",
                     qPrintable(command));
    return ok && !failed ? 0 : 1;
}
