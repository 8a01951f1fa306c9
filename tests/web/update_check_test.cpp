// The update check against a real HTTP server on loopback, and the links handed to a stand-in xdg-open.

#include "core/SettingsKeys.h"
#include "support/FakeXdgOpen.h"
#include "support/HttpServer.h"
#include "support/ManualClock.h"
#include "support/ScriptedNotices.h"
#include "support/TestDoubles.h"
#include "text/RuntimeFailure.h"
#include "web/AddressOpener.h"
#include "web/NetworkTextDownload.h"
#include "web/QuickLinks.h"
#include "web/UpdateCheck.h"

#include <QGuiApplication>
#include <QTimer>
#include <QtTest>

using namespace spectrel;

namespace {

struct Check {
    HttpServer server;
    ManualClock clock;
    NetworkTextDownload download{clock};
    MemorySettings store;
    ScriptedNotices notices;
    UpdateCheck check{download, store, notices, desktopAddressOpener(),
                      WebAddresses{server.address(), QStringLiteral("built.in/home"), {}, {}, {}}};
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
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("manual");
        QTest::addColumn<int>("result");     // -1: a run-time failure, an overflow
        QTest::addColumn<QString>("notice"); // the first words of the notice, empty for none
        QTest::addColumn<QString>("home");   // Home afterwards
        const auto row = [](const char* name, int status, const QByteArray& body, int manual, int result,
                            const char* notice, const QString& home) {
            QTest::newRow(name) << status << body << manual << result << notice << home;
        };
        const char* newer = "New version of Spectrel by Zovan";
        const char* latest = "This is the latest version of Spectrel by Zovan";
        row("8 offers", 200, "new.host/dl\n8", 0, 1, newer, "new.host/dl");
        row("7 from the button", 200, "new.host/dl\n7", 1, 1, latest, "new.host/dl");
        row("7 by itself is silent", 200, "new.host/dl\n7", 0, 1, "", "new.host/dl");
        row("same home but for case", 200, "BUILT.IN/Home\n7", 0, 1, "", "");
        row("CR LF keeps the CR", 200, "a.b/c\r\n8\r\n", 0, 1, newer, "a.b/c\r");
        row("12 and letters", 200, "ab\n12abc", 0, 1, newer, "ab");
        row("letters only read as 0", 200, "ab\nxyz", 1, 1, latest, "ab");
        row("line feed at position 3", 200, "ab\n8 ", 0, 1, newer, "ab");
        row("line feed at position 2", 200, "a\n8xx", 1, 0, "", "");
        row("4 characters", 200, "ab\n8", 1, 0, "", "");
        row("empty", 200, "", 1, 0, "", "");
        row("NUL bytes are characters", 200, QByteArray("a\0b\n9", 5), 0, 1, newer,
            QString::fromLatin1("a\0b", 3));
        row("first line of 254", 200, QByteArray(254, 'h') + "\n7", 0, 1, "", QString(254, u'h'));
        row("release 255", 200, "ab\n255", 0, 1, newer, "ab");
        row("first line of 255", 200, QByteArray(255, 'h') + "\n7", 1, -1, "", "");
        row("release 256", 200, "ab\n256", 1, -1, "", "");
        row("negative release", 200, "ab\n-1", 1, -1, "", "");
        // Every body is read, whatever the status: a server's not-found page only by its words.
        row("update file under 404", 404, "new.host/dl\n8", 0, 1, newer, "new.host/dl");
        row("not-found page", 404, "<html><h1>404 Not Found</h1>\n8</html>", 1, 0, "", "");
        row("not-found page under 200", 200, "<h1>404 not found</h1>\n8", 1, 0, "", "");
    }
    void bodies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, manual);
        QFETCH(QString, notice);
        QFETCH(QString, home);
        Check c;
        c.server.status = status;
        c.server.body = body;
        c.notices.answerNext(AnswerNo);
        int result = -1;
        try {
            result = int(c.check.CheckForUpdates(manual != 0));
        } catch (const RuntimeFailure& f) {
            QCOMPARE(f.number(), int(RuntimeFailure::Overflow));
        }
        QTEST(result, "result");
        QCOMPARE(c.notices.count(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(c.notices.lastText().startsWith(notice), qPrintable(c.notices.lastText()));
        QCOMPARE(c.store.values.value(QStringLiteral("home")), home);
        QCOMPARE(c.ended, 0);
    }

    // What a download keeps of the body, however the server sends it; meanwhile the program goes on, under
    // the wait cursor, and takes no input.
    void downloads_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<int>("kept");
        QTest::newRow("a byte every 0.5 s for 15 s") << QByteArray(30, 'b') << 500 << -1 << 30;
        QTest::newRow("silent for 10 s after 3 bytes") << QByteArray(20, 'b') << 500 << 3 << 3;
        QTest::newRow("never answers") << QByteArray(20, 'b') << 500 << 0 << 0;
        QTest::newRow("4 MB at once") << QByteArray(4 << 20, 'b') << 0 << -1 << 65536;
    }
    void downloads()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, silentAfter);
        Check c;
        c.server.body = body;
        QFETCH(int, stepMs);
        c.server.stepMs = stepMs;
        c.server.silentAfter = silentAfter;
        c.server.silenceMs = TextDownload::kInactivityMs;
        c.server.advance = [&c](int ms) { c.clock.advance(ms); };
        if (silentAfter == 0)
            c.server.held = true; // not even an answer's head
        int servedMeanwhile = 0;
        bool waitCursor = true;
        QTimer events;
        QObject::connect(&events, &QTimer::timeout, [&] {
            ++servedMeanwhile;
            waitCursor = waitCursor && QGuiApplication::overrideCursor() != nullptr;
        });
        events.start(20);
        if (silentAfter == 0)
            QTimer::singleShot(300, [&] { c.clock.advance(TextDownload::kInactivityMs); });
        const QString text = c.download.DownloadText(c.server.address());
        QTEST(int(text.size()), "kept");
        QCOMPARE(text, QString::fromLatin1(body.left(text.size())));
        QVERIFY(stepMs == 0 || servedMeanwhile > 0);
        QVERIFY(waitCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // The program ending while the check waits abandons it: nothing is stored or shown afterwards.
    void endingDuringTheCheck()
    {
        Check c;
        c.server.body = "new.host/dl\n8";
        c.server.held = true;
        QTimer::singleShot(200, [&] {
            c.check.cancel();
            c.server.release();
        });
        QCOMPARE(int(c.check.CheckForUpdates(true)), 0);
        QCOMPARE(c.notices.count(), 0);
        QVERIFY(c.store.values.isEmpty());
    }

    void takingTheNewReleaseOpensTheDownloadPage_data()
    {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<int>("status"); // xdg-open's
        QTest::addColumn<QString>("opened");
        QTest::newRow("launch failed") << QByteArray("new.host/dl") << 3 << "http://new.host/dl";
        QTest::newRow("https") << QByteArray("HTTPS://new.host/dl") << 0 << "HTTPS://new.host/dl";
    }
    void takingTheNewReleaseOpensTheDownloadPage()
    {
        QFETCH(QByteArray, home);
        QFETCH(int, status);
        const FakeXdgOpen xdgOpen(status);
        Check c;
        c.server.body = home + "\n8";
        c.notices.answerNext(AnswerYes);
        c.check.CheckForUpdates(false);
        QTEST(xdgOpen.opened().value(0), "opened");
        QCOMPARE(c.notices.lastText(), status ? QStringLiteral("Launching default web browser program failed")
                                              : c.notices.shown().first().text);
        QCOMPARE(c.ended, 1); // ends either way
    }

    // A link reports a failed launch with the warning of its kind, once xdg-open has told: by its exit
    // status, or by still running after a moment (it may be the browser itself), which is no failure.
    void quickLinks_data()
    {
        QTest::addColumn<int>("status"); // xdg-open's; -1: there is none
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("failed");
        QTest::newRow("exit 0") << 0 << 0.0 << false;
        QTest::newRow("exit 4, no program for the address") << 4 << 0.0 << true;
        QTest::newRow("no xdg-open") << -1 << 0.0 << true;
        QTest::newRow("exit 4 after the moment") << 4 << 2.5 << false;
    }
    void quickLinks()
    {
        QFETCH(int, status);
        QFETCH(double, seconds);
        QFETCH(bool, failed);
        const FakeXdgOpen xdgOpen(status < 0 ? std::nullopt : std::optional(status), seconds);
        ScriptedNotices notices;
        QuickLinks links(
            desktopAddressOpener(), notices,
            WebAddresses{{}, {}, "https://home.page/", "http://team.site", "http://banner.site/x"});
        for (int i = -1; i <= 7; ++i)
            links.lIRCLinks_Click(i);
        for (int i = -1; i <= 2; ++i)
            links.lWWWLink_Click(i);
        links.BannerLink_Click();
        QCOMPARE(notices.count(), 0); // the window goes on while the launches run
        if (status >= 0) {
            QTRY_COMPARE_WITH_TIMEOUT(xdgOpen.done(), 10, 5000);
            QStringList opened = xdgOpen.opened();
            opened.removeDuplicates();
            QCOMPARE(opened.size(), 10); // each link its own address, none for an index past its array
            QCOMPARE(opened.filter(QStringLiteral("irc:///")).size(), 7);
            for (const char* given : {"https://home.page/", "http://team.site", "http://banner.site/x"})
                QVERIFY2(opened.contains(QLatin1String(given)), given);
        }
        QTest::qWait(300); // the last ends are seen
        QCOMPARE(notices.count(), failed ? 10 : 0);
        QStringList warnings;
        for (const ScriptedNotices::Shown& n : notices.shown())
            warnings << n.kind + u':' + n.text;
        warnings.removeDuplicates();
        warnings.sort();
        if (failed)
            QCOMPARE(warnings, QStringList({"Warning:Launching default IRC program failed   ",
                                            "Warning:Launching default web browser program failed   "}));
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
