// The update check against a real HTTP server on loopback, and the quick links.

#include "core/SettingsKeys.h"
#include "support/ManualClock.h"
#include "support/ScriptedNotices.h"
#include "support/TestDoubles.h"
#include "text/RuntimeFailure.h"
#include "web/AddressOpener.h"
#include "web/QuickLinks.h"
#include "web/TextDownload.h"
#include "web/UpdateCheck.h"

#include <QGuiApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

using namespace spectrel;

namespace {

// Answers every request with one prepared response: a body, a redirect to itself, or silence; optionally
// one byte at a time.
class HttpServer : public QObject {
public:
    enum class Mode { Body, NotFound, RedirectLoop, Silent, Trickle };
    Mode mode = Mode::Body;
    QByteArray body;
    int requests = 0;

    HttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [this, s] { answer(s); });
        });
    }
    QString address() const
    {
        return QStringLiteral("http://127.0.0.1:%1/data.txt").arg(m_server.serverPort());
    }

private:
    void answer(QTcpSocket* s)
    {
        if (!s->readAll().contains("\r\n\r\n"))
            return; // the request is not complete yet; these are small enough to come at once
        ++requests;
        QByteArray response;
        switch (mode) {
        case Mode::Silent:
            return;
        case Mode::RedirectLoop:
            response =
                "HTTP/1.1 302 Found\r\nLocation: " + address().toLatin1() + "\r\nContent-Length: 0\r\n\r\n";
            break;
        case Mode::NotFound:
            body = "<html><h1>404 Not Found</h1>\n8</html>";
            response =
                "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
            break;
        case Mode::Body:
        case Mode::Trickle:
            response = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
            if (mode == Mode::Body)
                response += body;
            break;
        }
        s->write(response);
        if (mode == Mode::Trickle)
            trickle(s, 0);
        else
            s->disconnectFromHost();
    }
    void trickle(QTcpSocket* s, int at)
    {
        if (at >= body.size()) {
            s->disconnectFromHost();
            return;
        }
        s->write(body.mid(at, 1));
        QTimer::singleShot(100, s, [this, s, at] { trickle(s, at + 1); });
    }

    QTcpServer m_server;
};

class RecordingOpener : public AddressOpener {
public:
    QStringList opened;
    bool refuse = false;
    bool open(const QString& address) override
    {
        opened << address;
        return !refuse;
    }
};

struct Check {
    HttpServer server;
    ManualClock clock;
    TextDownload download{clock};
    MemorySettings store;
    ScriptedNotices notices;
    RecordingOpener opener;
    UpdateCheck check{download, store, notices, opener, {server.address(), QStringLiteral("built.in/home")}};
    int ended = 0;
    Check()
    {
        QObject::connect(&check, &UpdateCheck::programMustEnd, [this] { ++ended; });
    }
};

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("manual");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("notice"); // the first words of the notice, empty for none
        QTest::addColumn<QString>("home");   // Home afterwards
        const auto row = [](const char* name, const QByteArray& body, int manual, int result,
                            const char* notice, const QString& home) {
            QTest::newRow(name) << body << manual << result << notice << home;
        };
        const char* newer = "New version of Spectrel by Zovan";
        const char* latest = "This is the latest version of Spectrel by Zovan";
        row("8 offers", "new.host/dl\n8", 0, 1, newer, "new.host/dl");
        row("7 from the button", "new.host/dl\n7", 1, 1, latest, "new.host/dl");
        row("7 by itself is silent", "new.host/dl\n7", 0, 1, "", "new.host/dl");
        row("same home but for case", "BUILT.IN/Home\n7", 0, 1, "", "");
        row("CR LF keeps the CR", "a.b/c\r\n8\r\n", 0, 1, newer, "a.b/c\r");
        row("12 and letters", "ab\n12abc", 0, 1, newer, "ab");
        row("letters only read as 0", "ab\nxyz", 1, 1, latest, "ab");
        row("line feed at position 3", "ab\n8 ", 0, 1, newer, "ab");
        row("line feed at position 2", "a\n8xx", 1, 0, "", "");
        row("4 characters", "ab\n8", 1, 0, "", "");
        row("empty", "", 1, 0, "", "");
        row("NUL bytes are characters", QByteArray("a\0b\n9", 5), 0, 1, newer,
            QString::fromLatin1("a\0b", 3));
        row("64 KiB", QByteArray("big.host\n7\n") + QByteArray(65536, 'x'), 1, 1, latest, "big.host");
        row("first line of 254", QByteArray(254, 'h') + "\n7", 0, 1, "", QString(254, u'h'));
        row("release 255", "ab\n255", 0, 1, newer, "ab");
    }
    void bodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, manual);
        QFETCH(QString, notice);
        QFETCH(QString, home);
        Check c;
        c.server.body = body;
        c.notices.answerNext(AnswerNo);
        QTEST(int(c.check.CheckForUpdates(std::uint8_t(manual))), "result");
        QCOMPARE(c.notices.count(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(c.notices.lastText().startsWith(notice), qPrintable(c.notices.lastText()));
        QCOMPARE(c.store.values.value(QStringLiteral("home")), home);
        QCOMPARE(c.ended, 0);
    }

    void runTimeFailures_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("first line of 255") << QByteArray(255, 'h') + "\n7";
        QTest::newRow("release 256") << QByteArray("ab\n256");
        QTest::newRow("negative release") << QByteArray("ab\n-1");
    }
    void runTimeFailures()
    {
        QFETCH(QByteArray, body);
        Check c;
        c.server.body = body;
        int failure = 0;
        try {
            c.check.CheckForUpdates(1);
        } catch (const RuntimeFailure& f) {
            failure = f.number();
        }
        QCOMPARE(failure, int(RuntimeFailure::Overflow));
    }

    void takingTheNewReleaseOpensTheDownloadPage_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("opened") << false;
        QTest::newRow("launch refused") << true;
    }
    void takingTheNewReleaseOpensTheDownloadPage()
    {
        QFETCH(bool, refused);
        Check c;
        c.server.body = "new.host/dl\n8";
        c.opener.refuse = refused;
        c.notices.answerNext(AnswerYes);
        c.check.CheckForUpdates(0);
        QCOMPARE(c.opener.opened, QStringList{"http://new.host/dl"});
        QCOMPARE(c.notices.lastText(), refused
                                           ? QStringLiteral("Launching default web browser program failed")
                                           : c.notices.shown().first().text);
        QCOMPARE(c.ended, 1); // closes either way
    }

    // However the server misbehaves, the check ends silently, the cursor comes back, and the window went on
    // being served meanwhile.
    void misbehavingServers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("slow"); // slow enough for the window to be served meanwhile
        QTest::newRow("404 page") << int(HttpServer::Mode::NotFound) << 0 << false;
        QTest::newRow("redirect loop") << int(HttpServer::Mode::RedirectLoop) << 0 << false;
        QTest::newRow("never answers") << int(HttpServer::Mode::Silent) << 0 << true;
        QTest::newRow("one byte at a time") << int(HttpServer::Mode::Trickle) << 1 << true;
    }
    void misbehavingServers()
    {
        QFETCH(int, mode);
        QFETCH(bool, slow);
        Check c;
        c.server.mode = HttpServer::Mode(mode);
        c.server.body = "ab\n7xx";
        int servedMeanwhile = 0;
        bool waitCursor = false;
        QTimer events;
        QObject::connect(&events, &QTimer::timeout, [&] {
            ++servedMeanwhile;
            waitCursor = waitCursor || QGuiApplication::overrideCursor() != nullptr;
        });
        events.start(20);
        // The time-out runs on the test's clock: ten seconds pass once a silent server has been waited for.
        if (c.server.mode == HttpServer::Mode::Silent)
            QTimer::singleShot(300, [&] { c.clock.advance(TextDownload::kTimeoutMs); });
        QTEST(int(c.check.CheckForUpdates(0)), "result");
        QVERIFY(!slow || (servedMeanwhile > 0 && waitCursor));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(c.notices.count(), 0);
    }

    void quickLinks()
    {
        ScriptedNotices notices;
        RecordingOpener opener;
        QuickLinks links(opener, notices);
        for (int i = -1; i <= 7; ++i)
            links.lIRCLinks_Click(i);
        for (int i = -1; i <= 2; ++i)
            links.lWWWLink_Click(i);
        QCOMPARE(opener.opened.size(), 9);
        QCOMPARE(opener.opened.at(2), QStringLiteral("irc:///esl.match"));
        QCOMPARE(opener.opened.at(6), QStringLiteral("irc:///hltv"));
        QVERIFY(opener.opened.at(7).startsWith(QStringLiteral("http://")));
        QCOMPARE(notices.count(), 0);

        opener.refuse = true;
        links.lIRCLinks_Click(0);
        links.BannerLink_Click();
        QCOMPARE(notices.count(), 2);
        QCOMPARE(notices.shown().at(0).text, QStringLiteral("Launching default IRC program failed   "));
        QCOMPARE(notices.shown().at(1).text,
                 QStringLiteral("Launching default web browser program failed   "));
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
