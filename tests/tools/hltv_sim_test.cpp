// The HLTV proxy simulator as a real process on loopback. The link's, the recording's and spectrelctl's tests
// take its word for what a real proxy says, so here it must say it as the proxy does: the framing of the
// challenge and the replies, the status report's lines, the recording replies, and silence where the proxy
// prints nothing.
#include "support/SimProcess.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kPrefix("\xFF\xFF\xFF\xFF", 4);

// A client socket on loopback that talks to one simulator.
class Client {
public:
    explicit Client(quint16 port) : m_port(port) { m_socket.bind(QHostAddress::LocalHost, 0); }

    void send(const QByteArray& text, const QByteArray& ending)
    {
        m_socket.writeDatagram(kPrefix + text + ending, QHostAddress::LocalHost, m_port);
    }
    // The next datagram; null when none came in time.
    QByteArray next()
    {
        if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(2000))
            return {};
        return m_socket.receiveDatagram().data();
    }
    // The challenge number; empty unless the reply is framed exactly as the proxy frames it.
    QByteArray challenge(const QByteArray& ending)
    {
        send("challenge rcon", ending);
        static const QRegularExpression re(u"^\\xFF{4}challenge rcon (\\d{9,10})\\n\\x00$"_s);
        return re.match(QString::fromLatin1(next())).captured(1).toLatin1();
    }

private:
    QUdpSocket m_socket;
    quint16 m_port;
};

QString lines(const QStringList& lines)
{
    return lines.join(u'\n') + u'\n';
}

} // namespace

class HltvSimTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One request after a fresh challenge, and what the proxy prints for it, or that it prints nothing.
    void exchange_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("ending");  // how the client ends its requests
        QTest::addColumn<QByteArray>("request"); // after "rcon <challenge> "
        QTest::addColumn<QString>("reply");      // the whole print text as a pattern; null: no datagram
        QTest::addColumn<QString>("ran");        // the command the simulator ran; empty: none

        const QStringList head{
            u"--- HLTV Status ---"_s, u"Online \\d\\d:\\d\\d, FPS \\d+\\.\\d, Version \\d+ \\(Linux\\)"_s,
            u"Local IP 127\\.0\\.0\\.1:%P, Network In \\d+\\.\\d, Out \\d+\\.\\d, Loss \\d\\.\\d\\d"_s,
            u"Local Slots 32, Spectators 4 \\(max 4\\), Proxies 0"_s};
        const QStringList game{
            u"Total Slots 32, Spectators 4 \\(max 4\\), Proxies 1"_s,
            u"Connected to Game Server 127\\.0\\.0\\.1:27015, Delay 10"_s,
            u"Server Name \"Spectrel demo server\""_s,
            u"Game Time \\d\\d:\\d\\d, Mod \"cstrike\", Map \"de_dust2\\.bsp\", Players 10"_s};
        // The proxy names the file <name>-<YYMMDDhhmm>-<map>.dem.
        const QString file = u"X-Y-\\d{10}-de_dust2\\.dem"_s;
        const QString demo = u"Recording to %1, Length \\d+\\.\\d sec\\."_s.arg(file);
        const QStringList offline{u"Not connected\\."_s, u"Recording to , Length 0\\.0 sec\\."_s};
        // As ./run starts it.
        const QStringList proxy{"--delay",      "10", "--server-name", "Spectrel demo server",
                                "--spectators", "4"};
        const QStringList recording = proxy + QStringList{"--recording", "X-Y"};
        const QByteArray nul(1, '\0');
        const QByteArray status("\"demo\" status");

        // The proxy takes requests ended by 0x00, a line feed or both, and the password quoted or bare.
        QTest::newRow("connected, 0x00, quoted password")
            << proxy << nul << status << lines(head + game) << u"status"_s;
        QTest::newRow("recording, line feed, bare password")
            << recording << QByteArray("\n") << QByteArray("demo status")
            << lines(head + game + QStringList{demo}) << u"status"_s;
        QTest::newRow("no game server, line feed and 0x00")
            << recording + QStringList{"--no-game-server"} << "\n" + nul << status << lines(head + offline)
            << u"status"_s;
        QTest::newRow("record") << QStringList() << nul << QByteArray("\"demo\" record \"Red-Blue\"")
                                << u"Recording initialized\\.\n"_s << u"record \"Red-Blue\""_s;
        QTest::newRow("record while recording")
            << recording << nul << QByteArray("\"demo\" record \"C-D\"")
            << u"Already recording to %1\\.\n"_s.arg(file) << u"record \"C-D\""_s;
        QTest::newRow("stop") << recording << nul << QByteArray("\"demo\" stoprecording")
                              << u"Completed demo %1\\.\n"_s.arg(file) << u"stoprecording"_s;
        QTest::newRow("stop while not recording")
            << QStringList() << nul << QByteArray("\"demo\" stoprecording") << u"Not recording\\.\n"_s
            << u"stoprecording"_s;
        QTest::newRow("say prints nothing") << QStringList() << nul << QByteArray("\"demo\" say hello there")
                                            << QString() << u"say hello there"_s;
        QTest::newRow("wrong password: silence")
            << QStringList() << nul << QByteArray("\"demo2\" status") << QString() << QString();
        QTest::newRow("expired challenge: silence")
            << QStringList{"--challenge-lifetime", "0"} << nul << status << QString() << QString();
        QTest::newRow("a game server answers a wrong password")
            << QStringList{"--game-server-replies"} << nul << QByteArray("\"x\" status")
            << u"Bad rcon_password\\.\n"_s << QString();
    }
    void exchange()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, ending);
        QFETCH(QByteArray, request);
        QFETCH(QString, reply);
        QFETCH(QString, ran);
        SimProcess sim;
        QVERIFY2(sim.start(arguments), qPrintable(sim.errorText()));
        Client client(sim.port());
        const QByteArray challenge = client.challenge(ending);
        QVERIFY(!challenge.isEmpty());
        client.send("rcon " + challenge + ' ' + request, ending);
        if (reply.isNull()) {
            // The simulator answers one sender in order: a fresh challenge coming next shows nothing came
            // before.
            QVERIFY(!client.challenge(ending).isEmpty());
        } else {
            // A print reply: 0xFF x4, 'l', the text, and one 0x00 at its end.
            const QByteArray printed = client.next();
            QVERIFY2(printed.startsWith(kPrefix + 'l') && printed.indexOf('\0') == printed.size() - 1,
                     printed.toHex(' ').constData());
            const QRegularExpression re(
                QRegularExpression::anchoredPattern(reply.replace(u"%P"_s, sim.portText())),
                QRegularExpression::DotMatchesEverythingOption);
            QVERIFY2(re.match(QString::fromLatin1(printed.mid(5).chopped(1))).hasMatch(),
                     printed.constData());
        }
        const QStringList expected = ran.isEmpty() ? QStringList() : QStringList{ran};
        QCOMPARE(sim.waitForCommands(int(expected.size())), expected);
    }
};

QTEST_GUILESS_MAIN(HltvSimTest)
#include "hltv_sim_test.moc"
