#include "link/RconProtocol.h"
#include "text/RuntimeFailure.h"

#include <QtTest>

using namespace spectrel;
using namespace spectrel::rcon;

Q_DECLARE_METATYPE(spectrel::rcon::ReplyKind)

namespace {
QString withHeader(const QString& s)
{
    return QStringLiteral("\xFF\xFF\xFF\xFF") + s;
}
} // namespace

class RconProtocolTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framing()
    {
        QCOMPARE(frameDatagram(challengeRequest()), QByteArray("\xFF\xFF\xFF\xFF"
                                                               "challenge rcon\0",
                                                               19));
        QCOMPARE(commandLine("123", "pass word", "record \"A-B\""),
                 QStringLiteral("rcon 123 \"pass word\" record \"A-B\""));
        const QByteArray d("\xFF\xFF\xFF\xFFl\xE9\0", 7);
        QCOMPARE(datagramText(d).size(), 7); // the 0xFF bytes and the trailing 0x00 stay in
        QCOMPARE(datagramText(d)[5], QChar(0xE9));
    }

    void challengeCut_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("challenge"); // "FAIL" when the cut fails
        QTest::newRow("line feed and zero")
            << withHeader("challenge rcon 3141592653\n") + QChar(0) << "3141592653";
        QTest::newRow("capital letters") << withHeader("CHALLENGE RCON 42\n") << "42";
        QTest::newRow("character after marker skipped") << withHeader("challenge rconX77\n") << "77";
        QTest::newRow("empty challenge") << withHeader("challenge rcon \n") << "";
        QTest::newRow("no line feed") << withHeader("challenge rcon 3141592653") + QChar(0) << "FAIL";
        QTest::newRow("marker at the very end") << withHeader("challenge rcon") << "FAIL";
    }
    void challengeCut()
    {
        QFETCH(QString, reply);
        QFETCH(QString, challenge);
        if (challenge == u"FAIL") {
            try {
                cutChallenge(reply);
                QFAIL("cut did not fail");
            } catch (const RuntimeFailure& f) {
                QCOMPARE(f.number(), int(RuntimeFailure::InvalidCall));
            }
            return;
        }
        QCOMPARE(cutChallenge(reply), challenge);
    }

    void classify_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("slotEmpty");
        QTest::addColumn<ReplyKind>("kind");
        QTest::newRow("5 characters") << QString(5, u'x') << false << ReplyKind::BadLength;
        QTest::newRow("6 characters") << QString(6, u'x') << false << ReplyKind::Unrecognised;
        QTest::newRow("32700 characters") << QString(32700, u'x') << false << ReplyKind::Unrecognised;
        QTest::newRow("32701 characters") << QString(32701, u'x') << false << ReplyKind::BadLength;
        QTest::newRow("challenge") << withHeader("challenge rcon 1\n") << false << ReplyKind::Challenge;
        QTest::newRow("challenge with empty slot")
            << withHeader("challenge rcon 1\n") << true << ReplyKind::Unrecognised;
        QTest::newRow("challenge wins over status")
            << withHeader("l--- HLTV Status ---\nchallenge rcon 1\n") << false << ReplyKind::Challenge;
        QTest::newRow("status any case")
            << withHeader("l--- hltv status ---\n") << false << ReplyKind::StatusReport;
        QTest::newRow("recording started")
            << withHeader("lblah RECORDING INITIALIZED.\n") << false << ReplyKind::RecordingStarted;
        QTest::newRow("completed demo")
            << withHeader("lCompleted demo x.dem.\n") << false << ReplyKind::RecordingCompleted;
        QTest::newRow("bad password")
            << withHeader("lBad rcon_password.\n") << false << ReplyKind::Unrecognised;
    }
    void classify()
    {
        QFETCH(QString, reply);
        QFETCH(bool, slotEmpty);
        QTEST(classifyReply(reply, slotEmpty), "kind");
    }
};

QTEST_GUILESS_MAIN(RconProtocolTest)
#include "rcon_protocol_test.moc"
