// The link against real peers on loopback: the simulator as a process, and a socket of the test's own where a
// reply must be malformed or late on purpose. Time-outs run on the manual clock, but for two cases on the
// real one.

#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "link/ConnectionFields.h"
#include "link/HostLookup.h"
#include "link/ProxySession.h"
#include "link/RconProtocol.h"
#include "support/ManualClock.h"
#include "support/RecordingCues.h"
#include "support/ScriptedNotices.h"
#include "support/SimProcess.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QtTest>
#include <QUdpSocket>

using namespace spectrel;

namespace {

int hundredTwipsEach(const QString& s)
{
    return int(s.size()) * 100;
}

struct Fixture {
    ManualClock manual;
    Clock& clock;
    ScriptedNotices notices;
    RecordingCues cues;
    FixedConnectionFields fields{QStringLiteral("127.0.0.1"), QString(), QStringLiteral("demo"), notices};
    QStringList trapped;
    ErrorTrap trap{[this](const RuntimeFailure& f) { trapped << f.description(); }};
    ProxySession session{RconLink::Services{fields, notices, cues, trap, clock}, hundredTwipsEach};
    int offlineCalls = 0;
    int closed = 0;
    explicit Fixture(bool realTime = false) : clock(realTime ? realClock() : manual)
    {
        QObject::connect(&session, &ProxySession::wentOffline, [this] { ++offlineCalls; });
        QObject::connect(&session, &ProxySession::programMustEnd, [this] { ++closed; });
        QCOMPARE_EQ(int(session.link().bindSocket(0)), int(RconLink::BindResult::Bound));
        // A request left waiting for a time-out that the case never gives ends after a while: the case fails.
        QTimer::singleShot(20000, &session, [this] { manual.advance(60000); });
    }
    // Gives a waiting request its time-out at the next turn of the event loop.
    void timeOutSoon()
    {
        QTimer::singleShot(0, &session, [this] { manual.advance(RconLink::kTimeoutMs); });
    }
};

// A datagram as the proxy frames it: four 0xFF bytes, then the text.
QByteArray framed(const QByteArray& text)
{
    return QByteArray(4, '\xFF') + text;
}

QByteArray printReply(const char* text)
{
    return framed(QByteArray("l") + text + '\0');
}

// A peer of the test's own: answers the challenge with `challengeReply` (`challengeDelayMs` later on the real
// clock), then each command with `replies`.
class ScriptedPeer : public QObject {
public:
    QUdpSocket socket;
    QByteArray challengeReply = framed(QByteArray("challenge rcon 12345\n") + '\0');
    int challengeDelayMs = 0;
    QList<QByteArray> replies;

    ScriptedPeer()
    {
        socket.bind(QHostAddress::LocalHost, 0);
        connect(&socket, &QUdpSocket::readyRead, this, [this] {
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = socket.receiveDatagram();
                const QString text = rcon::datagramText(d.data()).mid(4).chopped(1);
                if (text == u"challenge rcon")
                    QTimer::singleShot(challengeDelayMs, Qt::PreciseTimer, this, [this, d] {
                        socket.writeDatagram(challengeReply, d.senderAddress(), quint16(d.senderPort()));
                    });
                else if (!replies.isEmpty())
                    socket.writeDatagram(replies.takeFirst(), d.senderAddress(), quint16(d.senderPort()));
            }
        });
    }
    QString portText() const { return QString::number(socket.localPort()); }
};

} // namespace

class RconLinkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordAndStopAnnounced_data()
    {
        QTest::addColumn<bool>("announce");
        QTest::newRow("announcing") << true;
        QTest::newRow("silent") << false;
    }
    void recordAndStopAnnounced()
    {
        QFETCH(bool, announce);
        SimProcess sim;
        QVERIFY(sim.start());
        Fixture f;
        f.fields.setPort(sim.portText());
        f.session.setAnnouncements(announce, announce);

        QVERIFY(f.session.StartRecording(QStringLiteral("ClanA-ClanB")));
        QCOMPARE(int(f.session.panel().proxyState), 2);
        QVERIFY(f.session.panel().demo.startsWith(QStringLiteral("Recording ClanA-ClanB-")));
        QVERIFY(f.session.StopRecording());
        QCOMPARE(int(f.session.panel().proxyState), 3);

        QStringList expected{"record \"ClanA-ClanB\"", "status"};
        if (announce)
            expected << "say Started recording HLTV demo";
        expected << "stoprecording"
                 << "status";
        if (announce)
            expected << "say Finished recording HLTV demo";
        QCOMPARE(sim.waitForCommands(int(expected.size())), expected);
        QCOMPARE(f.cues.played(), (QList<int>{CueStart, CueFinish}));
    }

    void refusedRequests_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("cues");
        // A proxy says nothing to a wrong password (as when silent); a game server says "Bad rcon_password.".
        const QList<int> twice{CueFailure, CueFailure};
        QTest::newRow("wrong password, game server") << QStringList{"--game-server-replies"} << "nope"
                                                     << "status" << QList<int>{CueFailure};
        QTest::newRow("silent proxy") << QStringList{"--silent"} << "demo"
                                      << "status" << QList<int>{};
        QTest::newRow("stop while not recording") << QStringList{} << "demo"
                                                  << "stop" << twice;
        QTest::newRow("record while recording") << QStringList{"--recording", "X-Y"} << "demo"
                                                << "record" << twice;
    }
    void refusedRequests()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, password);
        QFETCH(QString, command);
        QFETCH(QList<int>, cues);
        SimProcess sim;
        QVERIFY(sim.start(simArgs));
        Fixture f(simArgs == QStringList{"--silent"}); // the one time-out that runs its 2 s, end to end
        f.fields.setPort(sim.portText());
        f.fields.setPassword(password);
        const bool ok = command == u"status" ? f.session.QueryStatus()
                        : command == u"stop" ? f.session.StopRecording()
                                             : f.session.StartRecording(QStringLiteral("A-B"));
        QVERIFY(!ok);
        QCOMPARE(f.cues.played(), cues);
        QCOMPARE(f.session.link().waitingRequests(), 0);
    }

    void sayEndsAtTheChallengeAndALateLineFails()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--say-echo"}));
        Fixture f;
        f.fields.setPort(sim.portText());
        QVERIFY(f.session.SayToSpectators(QStringLiteral("hello there")));
        QCOMPARE(sim.waitForCommands(1), QStringList{"say hello there"});
        // The proxy's echo comes after the request ended: no test matches it.
        QTRY_COMPARE_WITH_TIMEOUT(f.cues.played(), QList<int>{CueFailure}, 3000);
    }

    void requestStartedInsideAnotherWait()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--reply-delay", "100"}));
        Fixture f;
        f.fields.setPort(sim.portText());
        QStringList order;
        bool sayOk = false;
        QTimer::singleShot(20, [&] {
            // Runs inside the status request's wait, like a timer tick or a hotkey would.
            QCOMPARE(f.session.link().waitingRequests(), 1);
            sayOk = f.session.SayToSpectators(QStringLiteral("second"));
            order << "say";
        });
        const bool statusOk = f.session.QueryStatus();
        order << "status";
        QVERIFY(statusOk);
        QVERIFY(sayOk);
        QCOMPARE(int(f.session.panel().proxyState), 3);
        // The say waited for the link: the proxy saw the status first, then the say.
        QCOMPARE(sim.waitForCommands(2), (QStringList{"status", "say second"}));
        QCOMPARE(order, (QStringList{"say", "status"})); // waits unwind innermost first
    }

    void queuedRequestHasItsOwnTimeout()
    {
        QUdpSocket silent; // reads nothing, answers nothing
        QVERIFY(silent.bind(QHostAddress::LocalHost, 0));
        Fixture f;
        f.fields.setPort(QString::number(silent.localPort()));
        bool secondOk = true;
        int waitingJustBefore = -1;
        QTimer::singleShot(0, [&] { // inside the first request's wait
            f.manual.advance(500);
            QTimer::singleShot(0, [&] { // inside the second's: the first times out, and the second goes out
                f.manual.advance(RconLink::kTimeoutMs - 500);
                QTimer::singleShot(0, [&] {
                    f.manual.advance(RconLink::kTimeoutMs - 1);
                    waitingJustBefore = f.session.link().waitingRequests();
                    f.manual.advance(1);
                });
            });
            secondOk = f.session.QueryStatus();
        });
        QVERIFY(!f.session.QueryStatus());
        QVERIFY(!secondOk);
        QCOMPARE(waitingJustBefore,
                 1); // its time-out ran from its own challenge request, not from its asking
    }

    void lateAnswerIsNoTimeout()
    {
        // 1.95 s after the challenge request the proxy is slow, not silent: the 2 s of the time-out are at
        // least 2 s of real time, from the challenge request on.
        ScriptedPeer peer;
        peer.challengeDelayMs = RconLink::kTimeoutMs - 50;
        peer.replies << printReply("--- HLTV Status ---\nNot connected");
        Fixture f(true);
        f.fields.setPort(peer.portText());
        QVERIFY(f.session.QueryStatus());
    }

    void malformedReplies_data()
    {
        QTest::addColumn<QByteArray>("challengeReply");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<QList<int>>("cues");
        const QByteArray good = framed("challenge rcon 99\n");
        const QByteArray noLineFeed = framed(QByteArray("challenge rcon 99") + '\0');
        const QByteArray noName =
            printReply("--- HLTV Status ---\nConnected to Game Server 1.2.3.4, Delay 5\nGame Time x");
        QTest::newRow("challenge without line feed") << noLineFeed << QByteArray() << true << QList<int>{};
        QTest::newRow("5 characters") << good << framed("l") << false << QList<int>{};
        QTest::newRow("unrecognised")
            << good << printReply("Unknown command") << false << QList<int>{CueFailure};
        QTest::newRow("report without server name") << good << noName << true << QList<int>{};
    }
    void malformedReplies()
    {
        QFETCH(QByteArray, challengeReply);
        QFETCH(QByteArray, reply);
        QFETCH(QList<int>, cues);
        ScriptedPeer peer;
        peer.challengeReply = challengeReply;
        if (!reply.isEmpty())
            peer.replies << reply;
        Fixture f;
        f.fields.setPort(peer.portText());
        QVERIFY(!f.session.QueryStatus());
        QTEST(f.offlineCalls > 0, "offline");
        QCOMPARE(f.cues.played(), cues);
        QVERIFY(f.trapped.isEmpty());
        QCOMPARE(f.manual.nowMs(), 0); // each ends at once, not at the time-out
    }

    void challengeWhileNothingWasAsked()
    {
        Fixture f;
        QUdpSocket(nullptr).writeDatagram(ScriptedPeer().challengeReply, QHostAddress::LocalHost,
                                          f.session.link().localPort());
        QTRY_COMPARE_WITH_TIMEOUT(f.cues.played(), QList<int>{CueFailure}, 2000);
        QVERIFY(f.session.link().LastChallenge().isEmpty()); // not taken, so not answered
    }

    void addressLiterals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("address"); // -1: no IPv4 address in numbers
        const auto row = [](const char* text, qint64 address) { QTest::newRow(text) << text << address; };
        row("127.0.0.1", 0x7f000001);
        row(" 127.0.0.1 ", 0x7f000001);
        row("127.1", 0x7f000001);
        row("2130706433", 0x7f000001);
        row("10.0.258", 0x0a000102);
        row("010.0.0.1", 0x0a000001); // decimal, not octal
        row("255.255.255.255", 0xffffffff);
        row("256.0.0.1", -1);
        row("1.2.3.4.5", -1);
        row("1.2.3.", -1);
        row("1.2.65536", -1);
        row("4294967296", -1);
        row("0x7f.0.0.1", -1);
        row("::1", -1);
        row("proxy.example", -1);
        row("", -1);
    }
    void addressLiterals()
    {
        QFETCH(QString, text);
        QFETCH(qint64, address);
        const std::optional<quint32> read = readIPv4Literal(text);
        QCOMPARE(read ? qint64(*read) : -1, address);
    }

    void sendFailures_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("fieldsCleared");
        QTest::addColumn<bool>("offline");
        const QString unreachable = QStringLiteral("No internet connection or HLTV server not running   ");
        const auto row = [](const char* name, const char* server, const char* port, const QString& notice,
                            bool cleared, bool offline) {
            QTest::newRow(name) << server << port << notice << cleared << offline;
        };
        row("port not a number", "127.0.0.1", "27o15", "Invalid server or port specified   ", true, false);
        row("host that does not resolve", "nonexistent.invalid", "27015", unreachable, false, true);
        row("port out of range", "127.0.0.1", "70000", unreachable, false, true);
        row("fields fail the check", "ab", "27015", "Invalid server specified   ", false, false);
    }
    void sendFailures()
    {
        QFETCH(QString, server);
        QFETCH(QString, port);
        Fixture f;
        f.fields.setServer(server);
        f.fields.setPort(port);
        f.notices.whileShown([&](const ScriptedNotices::Shown&) { f.timeOutSoon(); }); // for those that wait
        QVERIFY(!f.session.QueryStatus());
        QCOMPARE(f.notices.count(), 1);
        QTEST(f.notices.lastText(), "notice");
        QTEST(f.fields.serverText().isEmpty() && f.fields.portText().isEmpty(), "fieldsCleared");
        QTEST(f.offlineCalls > 0, "offline");
        QTEST(f.session.panel().proxyState == ProxyState::Offline, "offline");
        QVERIFY(f.trapped.isEmpty());
    }

    void refusedDatagramRebindsTheSocket()
    {
#if defined(SPECTREL_PORTABLE_LINK) && defined(Q_OS_LINUX)
        QSKIP("Qt's socket hears no refusal on an unconnected UDP socket on Linux; Windows reports it");
#endif
        QUdpSocket closed; // bound and closed again: nothing listens on its port afterwards
        QVERIFY(closed.bind(QHostAddress::LocalHost, 0));
        const QString port = QString::number(closed.localPort());
        closed.close();
        Fixture f;
        f.fields.setPort(port);
        int waiting = -1;
        f.notices.whileShown([&](const ScriptedNotices::Shown&) {
            waiting = f.session.link().waitingRequests(); // a refusal does not end the request
            f.timeOutSoon();
        });
        QVERIFY(!f.session.QueryStatus());
        QCOMPARE(waiting, 1);
        QCOMPARE(f.notices.lastText(), QStringLiteral("Fixing connection reset occurrence   "));
        QCOMPARE(f.session.link().localPort() != 0, true);
        QCOMPARE(f.closed, 0);
    }

    // A misspelling users know the notice by, kept on purpose.
    void socketFailureKeepsItsSpelling()
    {
        QCOMPARE(RconLink::socketFailureText(QStringLiteral("x")),
                 QStringLiteral("Socket error occured:\r\nx"));
    }

    void portInUse()
    {
        QUdpSocket blocker;
        QVERIFY(blocker.bind(QHostAddress::AnyIPv4, 0));
        Fixture f;
        QCOMPARE(f.session.link().bindSocket(blocker.localPort()), RconLink::BindResult::PortInUse);
    }
};

QTEST_GUILESS_MAIN(RconLinkTest)
#include "rcon_link_test.moc"
