// The HLTV proxy simulator as a real process on loopback: what it answers, what it prints, what it survives.
#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

#include <csignal>
#include <memory>
#include <optional>

namespace {

const QByteArray kPrefix("\xFF\xFF\xFF\xFF", 4);
const QByteArray kNul(1, '\0');
constexpr int kStartWaitMs = 10000;
constexpr int kReplyWaitMs = 2000;
// How long a proxy that must stay quiet is listened to.
constexpr int kQuietMs = 300;

const QString kStatusStart = QStringLiteral("--- HLTV Status ---\n.*");
const QString kDemoDate = QStringLiteral("\\d{10}");

struct Step {
    QByteArray command;
    // The whole print text of the reply; a null pattern means the proxy must say nothing.
    QString reply;
};

QString simulatorPath()
{
    const QString fromEnvironment = qEnvironmentVariable("HLTV_SIM");
    return fromEnvironment.isEmpty() ? QStringLiteral(HLTV_SIM_FALLBACK) : fromEnvironment;
}

template <typename Predicate> bool waitUntil(Predicate done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The text of a print reply (0xFF x4, 'l', text, 0x00).
std::optional<QByteArray> printText(const QByteArray& datagram)
{
    if (datagram.size() < 6 || !datagram.startsWith(kPrefix + 'l') || !datagram.endsWith(kNul))
        return std::nullopt;
    return datagram.mid(5, datagram.size() - 6);
}

bool fullMatch(const QString& pattern, const QByteArray& text)
{
    const QRegularExpression re(QRegularExpression::anchoredPattern(pattern),
                                QRegularExpression::DotMatchesEverythingOption);
    return re.match(QString::fromLatin1(text)).hasMatch();
}

bool hasLine(const QString& pattern, const QByteArray& text)
{
    const QRegularExpression re(QStringLiteral("^") + pattern + QStringLiteral("$"),
                                QRegularExpression::MultilineOption);
    return re.match(QString::fromLatin1(text)).hasMatch();
}

QByteArray withChallenge(QByteArray line, const QByteArray& challenge)
{
    return line.replace("%C", challenge);
}

// One simulator process and a client socket on loopback that talks to it.
class Simulator {
public:
    struct Ending {
        int exitCode = -1;
        QProcess::ExitStatus exitStatus = QProcess::CrashExit;
        QByteArrayList rconLines;
    };

    Simulator() { m_socket.bind(QHostAddress::LocalHost, 0); }

    ~Simulator()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // Starts the process and waits for its "listening <ip>:<port>" line.
    bool start(const QStringList& arguments)
    {
        m_process.start(simulatorPath(),
                        QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
        if (!m_process.waitForStarted(kStartWaitMs))
            return false;
        const bool listening = waitUntil(
            [this] {
                collectOutput();
                return !m_lines.isEmpty() || m_process.state() == QProcess::NotRunning;
            },
            kStartWaitMs);
        if (!listening || m_lines.isEmpty())
            return false;
        const QRegularExpression re(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$"));
        const QRegularExpressionMatch match = re.match(QString::fromLatin1(m_lines.takeFirst()));
        if (!match.hasMatch())
            return false;
        m_port = static_cast<quint16>(match.captured(1).toUInt());
        return m_port != 0;
    }

    quint16 port() const { return m_port; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QProcess& process() { return m_process; }

    void sendRaw(const QByteArray& datagram, QUdpSocket* from = nullptr)
    {
        (from ? from : &m_socket)->writeDatagram(datagram, QHostAddress::LocalHost, m_port);
    }

    std::optional<QByteArray> nextDatagram(int timeoutMs = kReplyWaitMs, QUdpSocket* on = nullptr)
    {
        QUdpSocket* socket = on ? on : &m_socket;
        if (!waitUntil([socket] { return socket->hasPendingDatagrams(); }, timeoutMs))
            return std::nullopt;
        return socket->receiveDatagram().data();
    }

    // The challenge number, asked for with the given request end.
    std::optional<QByteArray> challenge(const QByteArray& ending = kNul, QUdpSocket* from = nullptr)
    {
        sendRaw(kPrefix + "challenge rcon" + ending, from);
        const std::optional<QByteArray> reply = nextDatagram(kReplyWaitMs, from);
        if (!reply)
            return std::nullopt;
        const QRegularExpression re(QStringLiteral("^\\xFF{4}challenge rcon (\\d{9,10})\\n\\x00$"));
        const QRegularExpressionMatch match = re.match(QString::fromLatin1(*reply));
        if (!match.hasMatch())
            return std::nullopt;
        return match.captured(1).toLatin1();
    }

    // Sends one request text (as our client frames it) and returns the print text of the reply.
    std::optional<QByteArray> print(const QByteArray& text, const QByteArray& ending = kNul,
                                    QUdpSocket* from = nullptr)
    {
        sendRaw(kPrefix + text + ending, from);
        const std::optional<QByteArray> reply = nextDatagram(kReplyWaitMs, from);
        return reply ? printText(*reply) : std::nullopt;
    }

    std::optional<QByteArray> status(const QByteArray& challenge)
    {
        return print("rcon " + challenge + " \"demo\" status");
    }

    // Throws away what earlier cases may have left unread.
    void drain()
    {
        while (m_socket.hasPendingDatagrams())
            m_socket.receiveDatagram();
    }

    // The rcon lines printed since the last call, made complete by a last command whose own line, once read,
    // proves that every earlier one has been read as well.
    QByteArrayList takeRconLines()
    {
        const std::optional<QByteArray> challenge = this->challenge();
        const QByteArrayList failed{"(the last command got no answer)"};
        if (!challenge || !print("rcon " + *challenge + " \"demo\" fence"))
            return failed;
        if (!waitUntil(
                [this] {
                    collectOutput();
                    return m_lines.contains("rcon fence");
                },
                kReplyWaitMs))
            return failed;
        const QByteArrayList lines = m_lines.mid(0, m_lines.indexOf("rcon fence"));
        m_lines.remove(0, lines.size() + 1);
        return lines;
    }

    // Proves that nothing arrived before now: the datagrams of one sender are answered in order, so the next
    // thing that arrives after a fresh challenge request must be that challenge.
    bool nothingPending() { return challenge().has_value(); }

    bool waitForStderr(const QByteArray& line)
    {
        return waitUntil(
            [this, &line] {
                collectOutput();
                return m_stderr.split('\n').contains(line);
            },
            kReplyWaitMs);
    }

    // Writes a control line and waits until the simulator has applied it.
    bool control(const QByteArray& line)
    {
        m_process.write(line + '\n');
        return waitForStderr("ok: " + line);
    }

    // Stops the simulator (with SIGTERM unless it is already ending) and returns how it ended.
    Ending finish(bool terminate = true)
    {
        if (terminate && m_process.state() != QProcess::NotRunning)
            m_process.terminate();
        Ending ending;
        if (!m_process.waitForFinished(kStartWaitMs))
            return ending;
        collectOutput();
        ending.exitCode = m_process.exitCode();
        ending.exitStatus = m_process.exitStatus();
        ending.rconLines = m_lines;
        return ending;
    }

    QByteArray stderrText()
    {
        collectOutput();
        return m_stderr;
    }

private:
    void collectOutput()
    {
        m_stdout += m_process.readAllStandardOutput();
        m_stderr += m_process.readAllStandardError();
        qsizetype end;
        while ((end = m_stdout.indexOf('\n')) >= 0) {
            m_lines.append(m_stdout.left(end));
            m_stdout.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QUdpSocket m_socket;
    QByteArray m_stdout; // an unfinished last line
    QByteArrayList m_lines;
    QByteArray m_stderr;
    quint16 m_port = 0;
};

QByteArrayList rconLines(const QList<Step>& steps)
{
    QByteArrayList lines;
    for (const Step& step : steps)
        lines.append("rcon " + step.command);
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class HltvSimTest : public QObject {
    Q_OBJECT

private:
    // One simulator with default options for the cases that leave its state as they found it; a process per
    // case would make the run several times slower under the sanitizers.
    Simulator* shared();

    std::unique_ptr<Simulator> m_shared;

private Q_SLOTS:
    void cleanupTestCase();
    void requestEndings_data();
    void requestEndings();
    void rconChecks_data();
    void rconChecks();
    void oneChallengeServesSeveralCommands();
    void statusReport_data();
    void statusReport();
    void rconSession_data();
    void rconSession();
    void controlLines_data();
    void controlLines();
    void controlLineErrors_data();
    void controlLineErrors();
    void silence_data();
    void silence();
    void malformedDatagrams_data();
    void malformedDatagrams();
    void badOptions_data();
    void badOptions();
    void ending_data();
    void ending();
    void endOfInputKeepsRunning();
};

Simulator* HltvSimTest::shared()
{
    if (!m_shared || !m_shared->isRunning()) {
        m_shared = std::make_unique<Simulator>();
        if (!m_shared->start({}))
            return nullptr;
    }
    m_shared->drain();
    return m_shared.get();
}

void HltvSimTest::cleanupTestCase()
{
    if (!m_shared)
        return;
    const Simulator::Ending end = m_shared->finish();
    QCOMPARE(end.exitCode, 0);
}

void HltvSimTest::requestEndings_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::newRow("nul") << kNul;
    QTest::newRow("line feed") << QByteArray("\n");
    QTest::newRow("line feed and nul") << QByteArray("\n") + kNul;
}

void HltvSimTest::requestEndings()
{
    QFETCH(QByteArray, ending);
    Simulator* sim = shared();
    QVERIFY(sim);

    const std::optional<QByteArray> challenge = sim->challenge(ending);
    QVERIFY(challenge);
    const std::optional<QByteArray> report = sim->print("rcon " + *challenge + " demo status", ending);
    QVERIFY(report);
    QVERIFY2(fullMatch(kStatusStart, *report), report->constData());
    QCOMPARE(sim->takeRconLines(), QByteArrayList{"rcon status"});
}

void HltvSimTest::rconChecks_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("line"); // %C stands for the challenge just received
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QByteArrayList>("printed");

    const QByteArrayList status{"rcon status"};
    const QString badPassword = QStringLiteral("Bad rcon_password\\.\n");
    const QString badChallenge = QStringLiteral("Bad challenge\\.\n");
    const QStringList twoWords{QStringLiteral("--password"), QStringLiteral("two words")};

    QTest::newRow("quoted password") << QStringList() << QByteArray("rcon %C \"demo\" status") << kStatusStart
                                     << status;
    QTest::newRow("bare password") << QStringList() << QByteArray("rcon %C demo status") << kStatusStart
                                   << status;
    QTest::newRow("quoted password with a blank")
        << twoWords << QByteArray("rcon %C \"two words\" status") << kStatusStart << status;
    QTest::newRow("bare password ends at the blank")
        << twoWords << QByteArray("rcon %C two words status") << badPassword << QByteArrayList();
    QTest::newRow("wrong password") << QStringList() << QByteArray("rcon %C \"demo2\" status") << badPassword
                                    << QByteArrayList();
    QTest::newRow("password in other case")
        << QStringList() << QByteArray("rcon %C DEMO status") << badPassword << QByteArrayList();
    QTest::newRow("empty password") << QStringList() << QByteArray("rcon %C \"\" status") << badPassword
                                    << QByteArrayList();
    QTest::newRow("no password") << QStringList() << QByteArray("rcon %C") << badPassword << QByteArrayList();
    QTest::newRow("unknown challenge")
        << QStringList() << QByteArray("rcon 0 \"demo\" status") << badChallenge << QByteArrayList();
    QTest::newRow("challenge not a number")
        << QStringList() << QByteArray("rcon x%C \"demo\" status") << badChallenge << QByteArrayList();
    QTest::newRow("challenge checked before password")
        << QStringList() << QByteArray("rcon 0 \"wrong\" status") << badChallenge << QByteArrayList();
    QTest::newRow("expired challenge")
        << QStringList{QStringLiteral("--challenge-lifetime"), QStringLiteral("0")}
        << QByteArray("rcon %C \"demo\" status") << badChallenge << QByteArrayList();
    QTest::newRow("command in capitals") << QStringList() << QByteArray("rcon %C \"demo\" STATUS")
                                         << kStatusStart << QByteArrayList{"rcon STATUS"};
    QTest::newRow("blanks before the command")
        << QStringList() << QByteArray("rcon %C \"demo\"   status") << kStatusStart << status;
}

void HltvSimTest::rconChecks()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, line);
    QFETCH(QString, reply);
    QFETCH(QByteArrayList, printed);
    Simulator own;
    Simulator* sim = arguments.isEmpty() ? shared() : &own;
    QVERIFY(sim);
    if (sim == &own)
        QVERIFY(own.start(arguments));

    const std::optional<QByteArray> challenge = sim->challenge();
    QVERIFY(challenge);
    const std::optional<QByteArray> text = sim->print(withChallenge(line, *challenge));
    QVERIFY(text);
    QVERIFY2(fullMatch(reply, *text), text->constData());

    // A challenge that expires at once leaves no way to send a last command, so that case reads all at the
    // end.
    const QByteArrayList lines = sim == &own ? own.finish().rconLines : sim->takeRconLines();
    QCOMPARE(lines, printed);
}

void HltvSimTest::oneChallengeServesSeveralCommands()
{
    Simulator sim;
    QVERIFY(sim.start({}));
    const std::optional<QByteArray> challenge = sim.challenge();
    QVERIFY(challenge);

    const QList<QByteArray> commands{"status", "record \"A-B\"", "status", "stoprecording"};
    for (const QByteArray& command : commands) {
        const std::optional<QByteArray> text = sim.print("rcon " + *challenge + " \"demo\" " + command);
        QVERIFY2(text && !text->startsWith("Bad"), command.constData());
    }
    // Asking again does not take the first number away from its sender.
    QVERIFY(sim.challenge());
    const std::optional<QByteArray> report = sim.status(*challenge);
    QVERIFY(report);
    QVERIFY2(fullMatch(kStatusStart, *report), report->constData());

    // A challenge belongs to the address and port it was given to.
    QUdpSocket other;
    QVERIFY(other.bind(QHostAddress::LocalHost, 0));
    const std::optional<QByteArray> foreign =
        sim.print("rcon " + *challenge + " \"demo\" status", kNul, &other);
    QVERIFY(foreign);
    QCOMPARE(*foreign, QByteArray("Bad challenge.\n"));

    const Simulator::Ending end = sim.finish();
    QCOMPARE(end.rconLines, (QByteArrayList{"rcon status", "rcon record \"A-B\"", "rcon status",
                                            "rcon stoprecording", "rcon status"}));
}

void HltvSimTest::statusReport_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines"); // patterns of the whole lines; %P stands for the port

    const QStringList head{
        QStringLiteral("--- HLTV Status ---"),
        QStringLiteral("Online \\d\\d:\\d\\d, FPS \\d+\\.\\d, Version \\d+ \\(Linux\\)"),
        QStringLiteral(
            "Local IP 127\\.0\\.0\\.1:%P, Network In \\d+\\.\\d, Out \\d+\\.\\d, Loss \\d\\.\\d\\d"),
    };
    auto slotLines = [](const QString& spectators, const QString& max) {
        return QStringList{
            QStringLiteral("Local Slots 32, Spectators %1 \\(max %2\\), Proxies 0").arg(spectators, max),
            QStringLiteral("Total Slots 32, Spectators %1 \\(max %2\\), Proxies 1").arg(spectators, max)};
    };
    auto game = [](const QString& address, const QString& delay, const QString& name, const QString& map,
                   const QString& players) {
        return QStringList{
            QStringLiteral("Connected to Game Server %1, Delay %2").arg(address, delay),
            QStringLiteral("Server Name \"%1\"").arg(name),
            QStringLiteral("Game Time \\d\\d:\\d\\d, Mod \"cstrike\", Map \"%1\\.bsp\", Players %2")
                .arg(map, players)};
    };
    const QStringList defaultGame =
        game(QStringLiteral("127\\.0\\.0\\.1:27015"), QStringLiteral("30"),
             QStringLiteral("Practice Server #1"), QStringLiteral("de_dust2"), QStringLiteral("10"));

    QTest::newRow("defaults") << QStringList()
                              << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) + defaultGame;
    QTest::newRow("no game server") << QStringList{QStringLiteral("--no-game-server")}
                                    << head + slotLines(QStringLiteral("0"), QStringLiteral("0"));
    QTest::newRow("recording")
        << QStringList{QStringLiteral("--recording"), QStringLiteral("Red-Blue")}
        << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) + defaultGame +
               QStringList{QStringLiteral("Recording to Red-Blue-%1-de_dust2\\.dem, Length \\d+\\.\\d sec\\.")
                               .arg(kDemoDate)};
    QTest::newRow("spectators and their peak")
        << QStringList{QStringLiteral("--spectators"), QStringLiteral("7"),
                       QStringLiteral("--max-spectators"), QStringLiteral("12")}
        << head + slotLines(QStringLiteral("7"), QStringLiteral("12")) + defaultGame;
    QTest::newRow("three-digit spectators")
        << QStringList{QStringLiteral("--spectators"), QStringLiteral("128")}
        << head + slotLines(QStringLiteral("128"), QStringLiteral("128")) + defaultGame;
    QTest::newRow("delay rounded") << QStringList{QStringLiteral("--delay"), QStringLiteral("90.6")}
                                   << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) +
                                          game(QStringLiteral("127\\.0\\.0\\.1:27015"), QStringLiteral("91"),
                                               QStringLiteral("Practice Server #1"),
                                               QStringLiteral("de_dust2"), QStringLiteral("10"));
    QTest::newRow("fractional delay text")
        << QStringList{QStringLiteral("--delay-text"), QStringLiteral("30.5")}
        << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) +
               game(QStringLiteral("127\\.0\\.0\\.1:27015"), QStringLiteral("30\\.5"),
                    QStringLiteral("Practice Server #1"), QStringLiteral("de_dust2"), QStringLiteral("10"));
    QTest::newRow("odd delay text") << QStringList{QStringLiteral("--delay-text"), QStringLiteral("soon-ish")}
                                    << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) +
                                           game(QStringLiteral("127\\.0\\.0\\.1:27015"),
                                                QStringLiteral("soon-ish"),
                                                QStringLiteral("Practice Server #1"),
                                                QStringLiteral("de_dust2"), QStringLiteral("10"));
    QTest::newRow("server, map and players")
        << QStringList{QStringLiteral("--server-address"),
                       QStringLiteral("192.0.2.10:27016"),
                       QStringLiteral("--server-name"),
                       QStringLiteral("Cup Server \xe9t\xe9"),
                       QStringLiteral("--map"),
                       QStringLiteral("crossfire"),
                       QStringLiteral("--players"),
                       QStringLiteral("1")}
        << head + slotLines(QStringLiteral("0"), QStringLiteral("0")) +
               game(QStringLiteral("192\\.0\\.2\\.10:27016"), QStringLiteral("30"),
                    QStringLiteral("Cup Server \xe9t\xe9"), QStringLiteral("crossfire"), QStringLiteral("1"));
}

void HltvSimTest::statusReport()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    Simulator sim;
    QVERIFY(sim.start(arguments));
    const std::optional<QByteArray> challenge = sim.challenge();
    QVERIFY(challenge);
    const std::optional<QByteArray> report = sim.status(*challenge);
    QVERIFY(report);

    QVERIFY2(report->endsWith('\n'), report->constData());
    const QByteArrayList got = report->chopped(1).split('\n');
    QCOMPARE(got.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString pattern =
            QString(lines.at(i)).replace(QStringLiteral("%P"), QString::number(sim.port()));
        QVERIFY2(fullMatch(pattern, got.at(i)), got.at(i).constData());
    }
}

void HltvSimTest::rconSession_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<Step>>("steps");

    const QString started =
        QStringLiteral("Start recording to %1-%2-%3\\.dem\\.\nRecording initialized\\.\n");
    const QString completed = QStringLiteral("Completed demo %1-%2-%3\\.dem\\.\n");
    const QString dust = QStringLiteral("de_dust2");
    const QString notRecording = QStringLiteral("Not recording\\.\n");

    QTest::newRow("record and stop, bare name")
        << QStringList()
        << QList<Step>{{"record ClanA-ClanB", started.arg(QStringLiteral("ClanA-ClanB"), kDemoDate, dust)},
                       {"stoprecording", completed.arg(QStringLiteral("ClanA-ClanB"), kDemoDate, dust)},
                       {"stoprecording", notRecording}};
    QTest::newRow("record and stop, quoted name")
        << QStringList()
        << QList<Step>{
               {"record \"Red-Blue\"", started.arg(QStringLiteral("Red-Blue"), kDemoDate, dust)},
               {"status",
                kStatusStart + QStringLiteral("Recording to Red-Blue-%1-de_dust2\\.dem.*").arg(kDemoDate)},
               {"stoprecording", completed.arg(QStringLiteral("Red-Blue"), kDemoDate, dust)}};
    QTest::newRow("record while recording")
        << QStringList()
        << QList<Step>{{"record \"A-B\"", started.arg(QStringLiteral("A-B"), kDemoDate, dust)},
                       {"record \"C-D\"",
                        QStringLiteral("Already recording to A-B-%1-de_dust2\\.dem\\.\n").arg(kDemoDate)},
                       {"stoprecording", completed.arg(QStringLiteral("A-B"), kDemoDate, dust)}};
    QTest::newRow("stop without recording") << QStringList() << QList<Step>{{"stoprecording", notRecording}};
    QTest::newRow("record without game server")
        << QStringList{QStringLiteral("--no-game-server")}
        << QList<Step>{
               {"record \"A-B\"", QStringLiteral("Not connected to a game server\\. Cannot record\\.\n")}};
    QTest::newRow("record without a name")
        << QStringList() << QList<Step>{{"record", QStringLiteral("Syntax: record <filename>\n")}};
    QTest::newRow("recording from the start")
        << QStringList{QStringLiteral("--recording"), QStringLiteral("Pre-Set")}
        << QList<Step>{{"stoprecording", completed.arg(QStringLiteral("Pre-Set"), kDemoDate, dust)}};
    QTest::newRow("demo named after the map")
        << QStringList{QStringLiteral("--map"), QStringLiteral("de_inferno")}
        << QList<Step>{{"record \"A-B\"",
                        started.arg(QStringLiteral("A-B"), kDemoDate, QStringLiteral("de_inferno"))}};
    QTest::newRow("say stays unanswered")
        << QStringList()
        << QList<Step>{{"say hello there", QString()}, {"say Started recording HLTV demo", QString()}};
    QTest::newRow("say with echo") << QStringList{QStringLiteral("--say-echo")}
                                   << QList<Step>{{"say hello there", QStringLiteral("HLTV: hello there\n")},
                                                  {"status", kStatusStart}};
    QTest::newRow("unknown command") << QStringList()
                                     << QList<Step>{
                                            {"kick player", QStringLiteral("Unknown command \"kick\"\\.\n")}};
    QTest::newRow("late replies")
        << QStringList{QStringLiteral("--reply-delay"), QStringLiteral("50")}
        << QList<Step>{{"status", kStatusStart},
                       {"record \"A-B\"", started.arg(QStringLiteral("A-B"), kDemoDate, dust)},
                       {"stoprecording", completed.arg(QStringLiteral("A-B"), kDemoDate, dust)}};
}

void HltvSimTest::rconSession()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<Step>, steps);
    Simulator sim;
    QVERIFY(sim.start(arguments));
    const std::optional<QByteArray> challenge = sim.challenge();
    QVERIFY(challenge);

    for (const Step& step : steps) {
        const QByteArray line = "rcon " + *challenge + " \"demo\" " + step.command;
        if (step.reply.isNull()) {
            sim.sendRaw(kPrefix + line + kNul);
            QVERIFY2(sim.nothingPending(), step.command.constData());
            continue;
        }
        const std::optional<QByteArray> text = sim.print(line);
        QVERIFY2(text, step.command.constData());
        QVERIFY2(fullMatch(step.reply, *text), text->constData());
    }

    const Simulator::Ending end = sim.finish();
    QCOMPARE(end.rconLines, rconLines(steps));
}

void HltvSimTest::controlLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QStringList>("present"); // line patterns the report must hold afterwards
    QTest::addColumn<QStringList>("absent");

    const QStringList recording{QStringLiteral("--recording"), QStringLiteral("X-Y")};
    const QString gameServer = QStringLiteral("Connected to Game Server .*");

    QTest::newRow("spectators") << QStringList() << QByteArrayList{"set spectators 5"}
                                << QStringList{QStringLiteral(
                                       "Total Slots 32, Spectators 5 \\(max 5\\), Proxies 1")}
                                << QStringList();
    QTest::newRow("fewer spectators keep the peak")
        << QStringList{QStringLiteral("--spectators"), QStringLiteral("8")}
        << QByteArrayList{"set spectators 2"}
        << QStringList{QStringLiteral("Total Slots 32, Spectators 2 \\(max 8\\), Proxies 1")}
        << QStringList();
    QTest::newRow("game server lost")
        << QStringList() << QByteArrayList{"game-server off"} << QStringList()
        << QStringList{gameServer, QStringLiteral("Server Name .*"), QStringLiteral("Game Time .*")};
    QTest::newRow("game server found")
        << QStringList{QStringLiteral("--no-game-server")} << QByteArrayList{"game-server on"}
        << QStringList{gameServer} << QStringList();
    QTest::newRow("losing the game server ends the demo")
        << recording << QByteArrayList{"game-server off", "game-server on"} << QStringList{gameServer}
        << QStringList{QStringLiteral("Recording to .*")};
    QTest::newRow("players, delay and map")
        << QStringList() << QByteArrayList{"set players 3", "set delay 45.4", "set map de_nuke"}
        << QStringList{QStringLiteral("Connected to Game Server .*, Delay 45"),
                       QStringLiteral("Game Time .*, Map \"de_nuke\\.bsp\", Players 3")}
        << QStringList();
    QTest::newRow("delay text") << QStringList() << QByteArrayList{"set delay-text 12.5"}
                                << QStringList{QStringLiteral("Connected to Game Server .*, Delay 12\\.5")}
                                << QStringList();
    QTest::newRow("server name") << QStringList() << QByteArrayList{"set server-name Final Match"}
                                 << QStringList{QStringLiteral("Server Name \"Final Match\"")}
                                 << QStringList();
    QTest::newRow("record")
        << QStringList() << QByteArrayList{"record \"Ctl-Test\""}
        << QStringList{QStringLiteral("Recording to Ctl-Test-%1-de_dust2\\.dem, .*").arg(kDemoDate)}
        << QStringList();
    QTest::newRow("stop") << recording << QByteArrayList{"stop"} << QStringList{gameServer}
                          << QStringList{QStringLiteral("Recording to .*")};
    QTest::newRow("map change while recording")
        << recording << QByteArrayList{"set map de_nuke"}
        << QStringList{QStringLiteral("Recording to X-Y-%1-de_nuke\\.dem, .*").arg(kDemoDate)}
        << QStringList();
}

void HltvSimTest::controlLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArrayList, lines);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    Simulator sim;
    QVERIFY(sim.start(arguments));
    for (const QByteArray& line : lines)
        QVERIFY2(sim.control(line), sim.stderrText().constData());

    const std::optional<QByteArray> challenge = sim.challenge();
    QVERIFY(challenge);
    const std::optional<QByteArray> report = sim.status(*challenge);
    QVERIFY(report);
    for (const QString& pattern : present)
        QVERIFY2(hasLine(pattern, *report),
                 qPrintable(pattern + QStringLiteral(" in\n") + QString::fromLatin1(*report)));
    for (const QString& pattern : absent)
        QVERIFY2(!hasLine(pattern, *report),
                 qPrintable(pattern + QStringLiteral(" in\n") + QString::fromLatin1(*report)));
}

void HltvSimTest::controlLineErrors_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("unknown word") << QByteArray("bogus") << QByteArray("unknown control line: bogus");
    QTest::newRow("count not a number")
        << QByteArray("set spectators many") << QByteArray("unknown control line: set spectators many");
    QTest::newRow("unknown setting") << QByteArray("set colour red")
                                     << QByteArray("unknown control line: set colour red");
    QTest::newRow("switch neither on nor off")
        << QByteArray("silent maybe") << QByteArray("unknown control line: silent maybe");
    QTest::newRow("stop without demo") << QByteArray("stop") << QByteArray("refused: stop: Not recording.");
}

void HltvSimTest::controlLineErrors()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, message);
    Simulator* sim = shared();
    QVERIFY(sim);
    sim->process().write(line + '\n');
    QVERIFY2(sim->waitForStderr(message), sim->stderrText().constData());

    const std::optional<QByteArray> challenge = sim->challenge();
    QVERIFY(challenge);
    QVERIFY(sim->status(*challenge));
    QCOMPARE(sim->takeRconLines(), QByteArrayList{"rcon status"});
}

void HltvSimTest::silence_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("silencer"); // control line that silences it, if any
    QTest::addColumn<bool>("recovers");       // whether "silent off" brings the answers back

    QTest::newRow("silent option") << QStringList{QStringLiteral("--silent")} << QByteArray() << true;
    QTest::newRow("silent control line") << QStringList() << QByteArray("silent on") << true;
    QTest::newRow("every reply dropped")
        << QStringList{QStringLiteral("--drop-rate"), QStringLiteral("1")} << QByteArray() << false;
}

void HltvSimTest::silence()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, silencer);
    QFETCH(bool, recovers);
    Simulator sim;
    QVERIFY(sim.start(arguments));
    if (!silencer.isEmpty())
        QVERIFY(sim.control(silencer));

    sim.sendRaw(kPrefix + "challenge rcon" + kNul);
    sim.sendRaw(kPrefix + "rcon 0 \"demo\" status" + kNul);
    QVERIFY(!sim.nextDatagram(kQuietMs));

    if (recovers) {
        QVERIFY(sim.control("silent off"));
        QVERIFY(sim.challenge());
    }
    const Simulator::Ending end = sim.finish();
    QCOMPARE(end.exitCode, 0);
}

void HltvSimTest::malformedDatagrams_data()
{
    QTest::addColumn<QByteArray>("datagram");

    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(static_cast<char>(i));

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << QByteArray("\xFF", 1);
    QTest::newRow("prefix only") << kPrefix;
    QTest::newRow("prefix and nul") << kPrefix + kNul;
    QTest::newRow("three prefix bytes") << QByteArray("\xFF\xFF\xFF") + "challenge rcon" + kNul;
    QTest::newRow("no prefix") << QByteArray("challenge rcon") + kNul;
    QTest::newRow("binary junk") << kPrefix + everyByte;
    QTest::newRow("rcon alone") << kPrefix + "rcon" + kNul;
    QTest::newRow("text after the nul") << kPrefix + kNul + "challenge rcon";
    QTest::newRow("challenge without rcon") << kPrefix + "challenge" + kNul;
    QTest::newRow("a challenge reply") << kPrefix + "challenge rcon 123456789\n" + kNul;
    QTest::newRow("a print reply") << kPrefix + "lBad challenge.\n" + kNul;
    QTest::newRow("repeated prefix") << kPrefix.repeated(64);
    QTest::newRow("huge") << kPrefix + QByteArray(60000, 'x');
    QTest::newRow("largest datagram") << kPrefix + "challenge rcon" + QByteArray(65507 - 18, '\n');
}

void HltvSimTest::malformedDatagrams()
{
    QFETCH(QByteArray, datagram);
    Simulator* sim = shared();
    QVERIFY(sim);
    for (int i = 0; i < 3; ++i)
        sim->sendRaw(datagram);
    QVERIFY(sim->nothingPending());
    QVERIFY(sim->isRunning());
    QCOMPARE(sim->takeRconLines(), QByteArrayList());
}

void HltvSimTest::badOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    auto args = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* a : list)
            out.append(QString::fromLatin1(a));
        return out;
    };
    QTest::newRow("port too large") << args({"--port", "70000"});
    QTest::newRow("port not a number") << args({"--port", "x"});
    QTest::newRow("unknown option") << args({"--colour", "red"});
    QTest::newRow("stray argument") << args({"status"});
    QTest::newRow("bind not an address") << args({"--bind", "proxy.example"});
    QTest::newRow("drop rate above one") << args({"--drop-rate", "1.5"});
    QTest::newRow("negative players") << args({"--players", "-1"});
    QTest::newRow("delay not a number") << args({"--delay", "soon"});
    QTest::newRow("recording without game server") << args({"--no-game-server", "--recording", "A-B"});
    QTest::newRow("value missing") << args({"--map"});
}

void HltvSimTest::badOptions()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(simulatorPath(), arguments);
    QVERIFY(process.waitForFinished(kStartWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QByteArray error = process.readAllStandardError();
    QVERIFY2(error.endsWith('\n') && error.count('\n') == 1, error.constData());
}

void HltvSimTest::ending_data()
{
    QTest::addColumn<int>("signal"); // 0: the quit control line

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("quit line") << 0;
}

void HltvSimTest::ending()
{
    QFETCH(int, signal);
    Simulator sim;
    QVERIFY(sim.start({}));
    QVERIFY(sim.challenge());
    if (signal == 0)
        sim.process().write("quit\n");
    else
        QCOMPARE(::kill(static_cast<pid_t>(sim.process().processId()), signal), 0);

    const Simulator::Ending end = sim.finish(false);
    QCOMPARE(end.exitStatus, QProcess::NormalExit);
    QCOMPARE(end.exitCode, 0);
}

void HltvSimTest::endOfInputKeepsRunning()
{
    Simulator sim;
    QVERIFY(sim.start({}));
    QVERIFY(sim.control("set spectators 4"));
    sim.process().closeWriteChannel();
    QVERIFY(sim.waitForStderr("hltv-sim: control input ended; still answering"));

    const std::optional<QByteArray> challenge = sim.challenge();
    QVERIFY(challenge);
    const std::optional<QByteArray> report = sim.status(*challenge);
    QVERIFY(report);
    QVERIFY(hasLine(QStringLiteral("Total Slots 32, Spectators 4 \\(max 4\\), Proxies 1"), *report));
    QCOMPARE(sim.process().state(), QProcess::Running);

    const Simulator::Ending end = sim.finish();
    QCOMPARE(end.exitCode, 0);
}

QTEST_GUILESS_MAIN(HltvSimTest)
#include "hltv_sim_test.moc"
