// The HLTV proxy simulator as a real process on loopback. The link's and the recording's tests take its word
// for what a real proxy says, so here it must say it as the proxy does.
#include "support/SimProcess.h"

#include <QDateTime>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

#include <optional>

namespace {

const QByteArray kPrefix("\xFF\xFF\xFF\xFF", 4);
const QByteArray kNul(1, '\0');
constexpr int kReplyWaitMs = 2000;
// The start of a demo in its file name, YYMMDDhhmm local time; captured to be checked against the clock.
const QString kDate = QStringLiteral("(\\d{10})");
const QString kStatus = QStringLiteral("--- HLTV Status ---\n.*");

struct Step {
    QByteArray command;
    // The whole print text of the reply; a null pattern means no datagram at all.
    QString reply;
};

// A client socket on loopback that talks to one simulator.
class Client {
public:
    explicit Client(quint16 port) : m_port(port) { m_socket.bind(QHostAddress::LocalHost, 0); }

    quint16 localPort() const { return m_socket.localPort(); }

    void send(const QByteArray& text, const QByteArray& ending = kNul)
    {
        m_socket.writeDatagram(kPrefix + text + ending, QHostAddress::LocalHost, m_port);
    }

    std::optional<QByteArray> next(int ms = kReplyWaitMs)
    {
        if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(ms))
            return std::nullopt;
        return m_socket.receiveDatagram().data();
    }

    // The challenge number; nothing unless the reply is framed exactly as the proxy frames it.
    std::optional<QByteArray> challenge(const QByteArray& ending = kNul)
    {
        send("challenge rcon", ending);
        const std::optional<QByteArray> reply = next();
        static const QRegularExpression re(QStringLiteral("^\\xFF{4}challenge rcon (\\d{9,10})\\n\\x00$"));
        const QRegularExpressionMatch match = re.match(QString::fromLatin1(reply.value_or("")));
        return match.hasMatch() ? std::optional(match.captured(1).toLatin1()) : std::nullopt;
    }

    // The text of the print reply (0xFF x4, 'l', text, 0x00) to one request; nothing without one.
    std::optional<QByteArray> print(const QByteArray& text, const QByteArray& ending = kNul)
    {
        send(text, ending);
        const std::optional<QByteArray> reply = next();
        if (!reply || !reply->startsWith(kPrefix + 'l') || !reply->endsWith(kNul) || reply->count('\0') != 1)
            return std::nullopt;
        return reply->mid(5).chopped(1);
    }

    std::optional<QByteArray> rcon(const QByteArray& challenge, const QByteArray& command)
    {
        return print("rcon " + challenge + " \"demo\" " + command);
    }

    // Proves that no datagram came before now: the simulator answers one sender in order, so the next thing
    // to arrive after a fresh challenge request must be that challenge.
    bool nothingBefore() { return challenge().has_value(); }

private:
    QUdpSocket m_socket;
    quint16 m_port;
};

// Whole-text match; every captured date must lie between the test's start and now.
bool matches(const QString& pattern, const QByteArray& text, const QDateTime& since)
{
    const QRegularExpression re(QRegularExpression::anchoredPattern(pattern),
                                QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = re.match(QString::fromLatin1(text));
    if (!match.hasMatch())
        return false;
    const QString format = QStringLiteral("yyMMddhhmm");
    for (int i = 1; i <= match.lastCapturedIndex(); ++i) {
        const QString date = match.captured(i);
        if (date < since.toString(format) || date > QDateTime::currentDateTime().toString(format))
            return false;
    }
    return true;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class HltvSimTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framing_data()
    {
        QTest::addColumn<QByteArray>("ending");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("0x00, quoted password") << kNul << QByteArray("\"demo\"");
        QTest::newRow("line feed, bare password") << QByteArray("\n") << QByteArray("demo");
        QTest::newRow("line feed and 0x00") << QByteArray("\n") + kNul << QByteArray("\"demo\"");
    }
    void framing()
    {
        QFETCH(QByteArray, ending);
        QFETCH(QByteArray, password);
        SimProcess sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        Client client(sim.port());
        const std::optional<QByteArray> challenge = client.challenge(ending);
        QVERIFY(challenge);
        const std::optional<QByteArray> report =
            client.print("rcon " + *challenge + ' ' + password + " status", ending);
        QVERIFY(report);
        QVERIFY2(report->startsWith("--- HLTV Status ---\n") && report->endsWith('\n'), report->constData());
        QCOMPARE(sim.waitForCommands(1), QStringList{"status"});
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");    // %C: the challenge just received
        QTest::addColumn<QByteArray>("reply");   // null: no datagram at all
        QTest::addColumn<QByteArray>("refused"); // what the proxy's console names as refused

        const QStringList gameServer{"--game-server-replies"};
        const QByteArray badPassword = "Bad rcon_password.\n";
        QTest::newRow("wrong password") << QStringList() << QByteArray("rcon %C \"demo2\" status")
                                        << QByteArray() << QByteArray("password");
        QTest::newRow("bare password ends at the blank")
            << QStringList{"--password", "two words"} << QByteArray("rcon %C two words status")
            << QByteArray() << QByteArray("password");
        QTest::newRow("unknown challenge") << QStringList() << QByteArray("rcon 123456789 \"demo\" status")
                                           << QByteArray() << QByteArray("challenge");
        QTest::newRow("challenge checked first") << QStringList() << QByteArray("rcon 123456789 \"x\" status")
                                                 << QByteArray() << QByteArray("challenge");
        QTest::newRow("expired challenge")
            << QStringList{"--challenge-lifetime", "0"} << QByteArray("rcon %C \"demo\" status")
            << QByteArray() << QByteArray("challenge");
        QTest::newRow("game server: wrong password")
            << gameServer << QByteArray("rcon %C \"x\" status") << badPassword << QByteArray("password");
        QTest::newRow("game server: bad challenge")
            << gameServer << QByteArray("rcon 1 \"demo\" status") << badPassword + "Bad challenge.\n"
            << QByteArray("challenge");
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, refused);
        SimProcess sim;
        QVERIFY2(sim.start(arguments), qPrintable(sim.errorText()));
        Client client(sim.port());
        const std::optional<QByteArray> challenge = client.challenge();
        QVERIFY(challenge);
        if (reply.isNull()) {
            client.send(line.replace("%C", *challenge));
            QVERIFY(client.nothingBefore());
        } else {
            QCOMPARE(client.print(line.replace("%C", *challenge)), std::optional(reply));
        }
        QVERIFY2(sim.waitForLog("Invalid rcon " + refused +
                                " from: 127.0.0.1:" + QByteArray::number(client.localPort())),
                 qPrintable(sim.errorText()));
        QCOMPARE(sim.commands(), QStringList());
    }

    void challengeLivesForItsAddress()
    {
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--challenge-lifetime", "1"}), qPrintable(sim.errorText()));
        Client client(sim.port());
        const std::optional<QByteArray> first = client.challenge();
        QVERIFY(first);
        QVERIFY(client.rcon(*first, "status"));
        QVERIFY(client.rcon(*first, "stoprecording"));
        QCOMPARE(client.challenge(), first); // asking again while it lives gives the same number
        Client otherPort(sim.port());
        QVERIFY(otherPort.rcon(*first, "status"));

        QTest::qWait(1300);
        client.send("rcon " + *first + " \"demo\" status");
        QVERIFY(client.nothingBefore());
        QVERIFY(sim.waitForLog("Invalid rcon challenge from: 127.0.0.1:" +
                               QByteArray::number(client.localPort())));
        const std::optional<QByteArray> renewed = client.challenge();
        QVERIFY(renewed && *renewed != *first);
        QVERIFY(client.rcon(*renewed, "status"));
        QCOMPARE(sim.waitForCommands(4), (QStringList{"status", "stoprecording", "status", "status"}));
    }

    // What the proxy prints, or that it prints nothing, for each command. The control lines that other tests
    // drive the simulator with are proved by those tests; one row shows that the report follows them.
    void commands_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArrayList>("controlLines"); // sent before the first request
        QTest::addColumn<QList<Step>>("steps");           // %P: the simulator's port

        const QStringList head{
            QStringLiteral("--- HLTV Status ---"),
            QStringLiteral("Online \\d\\d:\\d\\d, FPS \\d+\\.\\d, Version \\d+ \\(Linux\\)"),
            QStringLiteral(
                "Local IP 127\\.0\\.0\\.1:%P, Network In \\d+\\.\\d, Out \\d+\\.\\d, Loss \\d\\.\\d\\d"),
            QStringLiteral("Local Slots 32, Spectators 4 \\(max 4\\), Proxies 0")};
        const auto game = [](const QString& delay) {
            return QStringList{
                QStringLiteral("Total Slots 32, Spectators 4 \\(max 4\\), Proxies 1"),
                QStringLiteral("Connected to Game Server 127\\.0\\.0\\.1:27015, Delay %1").arg(delay),
                QStringLiteral("Server Name \"Spectrel demo server\""),
                QStringLiteral(
                    "Game Time \\d\\d:\\d\\d, Mod \"cstrike\", Map \"de_dust2\\.bsp\", Players 10")};
        };
        const auto demo = [](const char* name) {
            return QStringLiteral("Recording to %1-%2-de_dust2\\.dem, Length \\d+\\.\\d sec\\.")
                .arg(QString::fromLatin1(name), kDate);
        };
        const QStringList offline{QStringLiteral("Not connected\\."),
                                  QStringLiteral("Recording to , Length 0\\.0 sec\\.")};
        // As ./run starts it.
        const QStringList proxy{"--delay",      "10", "--server-name", "Spectrel demo server",
                                "--spectators", "4"};
        const QStringList recording = proxy + QStringList{"--recording", "X-Y"};
        const QByteArrayList none;
        const auto status = [](const QStringList& lines) {
            return QList<Step>{{"status", lines.join(u'\n') + u'\n'}};
        };

        QTest::newRow("connected") << proxy << none << status(head + game("10"));
        QTest::newRow("recording") << recording << none
                                   << status(head + game("10") + QStringList{demo("X-Y")});
        QTest::newRow("recording without game server")
            << recording + QStringList{"--no-game-server"} << none << status(head + offline);
        QTest::newRow("recording started by another admin")
            << proxy << QByteArrayList{"record Other-Admin"}
            << status(head + game("10") + QStringList{demo("Other-Admin")});

        const QString file = QStringLiteral("Red-Blue-%1-de_dust2\\.dem").arg(kDate);
        const QString syntax =
            QStringLiteral("Syntax: record <filename>\nOutput format is \"filename-date-map\\.dem\"\\.\n");
        QTest::newRow("record, already recording, stop, not recording")
            << QStringList() << none
            << QList<Step>{{"record \"Red-Blue\"", QStringLiteral("Recording initialized\\.\n")},
                           {"status", kStatus + QStringLiteral("\nRecording to %1, Length .*").arg(file)},
                           {"record \"C-D\"", QStringLiteral("Already recording to %1\\.\n").arg(file)},
                           {"stoprecording", QStringLiteral("Completed demo %1\\.\n").arg(file)},
                           {"stoprecording", QStringLiteral("Not recording\\.\n")}};
        QTest::newRow("record needs exactly one name")
            << QStringList() << none << QList<Step>{{"record", syntax}, {"record Red Blue", syntax}};
        QTest::newRow("demo named after the map")
            << QStringList{"--map", "de_inferno"} << none
            << QList<Step>{
                   {"record A-B", QStringLiteral("Recording initialized\\.\n")},
                   {"status",
                    kStatus + QStringLiteral("\nRecording to A-B-%1-de_inferno\\.dem, .*").arg(kDate)}};
        QTest::newRow("say is silent")
            << QStringList() << none
            << QList<Step>{{"say hello there", QString()}, {"say \"Started recording\"", QString()}};
        QTest::newRow("say with a line after it")
            << QStringList{"--say-echo"} << none
            << QList<Step>{{"say hello there", QStringLiteral("HLTV: hello there\n")}};
        QTest::newRow("delay")
            << QStringList() << none
            << QList<Step>{
                   {"delay 45", QString()},
                   {"delay", QStringLiteral(
                                 "Syntax: delay <seconds>\nCurrent spectator delay is 45\\.0 seconds\\.\n")},
                   {"status", kStatus + QStringLiteral(", Delay 45\n.*")},
                   {"delay 9.5", QString()},
                   {"status", kStatus + QStringLiteral(", Delay 0\n.*")}};
    }
    void commands()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, controlLines);
        QFETCH(QList<Step>, steps);
        const QDateTime since = QDateTime::currentDateTime();
        SimProcess sim;
        QVERIFY2(sim.start(arguments), qPrintable(sim.errorText()));
        for (const QByteArray& line : controlLines)
            QVERIFY2(sim.control(line), qPrintable(sim.errorText()));
        Client client(sim.port());
        const std::optional<QByteArray> challenge = client.challenge();
        QVERIFY(challenge);

        QStringList sent;
        for (const Step& step : steps) {
            sent.append(QString::fromLatin1(step.command));
            if (step.reply.isNull()) {
                client.send("rcon " + *challenge + " \"demo\" " + step.command);
                QVERIFY2(client.nothingBefore(), step.command.constData());
                continue;
            }
            const std::optional<QByteArray> text = client.rcon(*challenge, step.command);
            QVERIFY2(text, step.command.constData());
            QVERIFY2(matches(QString(step.reply).replace(QStringLiteral("%P"), sim.portText()), *text, since),
                     text->constData());
        }
        QCOMPARE(sim.waitForCommands(int(sent.size())), sent);
    }
};

QTEST_GUILESS_MAIN(HltvSimTest)
#include "hltv_sim_test.moc"
