// The update check of the program built with loopback addresses, against the test's HTTP server: the check
// five seconds after start-up, the "Update" button, a newer release taken, and the window's input held back
// while a check waits. xdg-open is a script of the test's that records what it is given (there is no browser
// here).

#include "ProgramRun.h"
#include "support/FakeXdgOpen.h"
#include "support/HttpServer.h"

#include <memory>

using namespace spectrel;

namespace {

// The port of the addresses that the loopback build carries.
constexpr quint16 kHttpPort = 27280;

} // namespace

class UpdateTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (DISPLAY is not set)");
        QVERIFY2(QFile::exists(qEnvironmentVariable("SPECTREL")), "SPECTREL must name the loopback build");
        m_x = std::make_unique<XDisplay>();
        QVERIFY(m_x->isOpen());
        QVERIFY2(m_server.isListening(), "port 27280 is taken");
        m_xdgOpen = std::make_unique<FakeXdgOpen>(0);
    }

    void init()
    {
        m_xdgOpen->clear();
        m_server.requests = 0;
    }

    void clicksWaitForNothingWhileTheCheckWaits()
    {
        ProgramRun run;
        m_server.held = true;
        m_server.body = "127.0.0.1:27280/new-download\n8\n";
        const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\nLastTab=2\n");
        QVERIFY2(window, "the main window did not open");
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests, 1, 15000); // the check five seconds after start-up

        // "Delete" clicked while the check waits: nothing, neither now nor once the check has ended.
        QVERIFY(clickControl(*m_x, window, "coDelete"));
        QTest::qWait(1000);
        QCOMPARE(m_x->findWindow(noticeCaption(QStringLiteral("Delete registry entries"))), xcb_window_t(0));
        m_server.release();
        const xcb_window_t offer = waitForNotice(QStringLiteral("Update check"));
        QVERIFY2(offer, "no newer release offered");
        QCOMPARE(m_x->findWindow(noticeCaption(QStringLiteral("Delete registry entries"))), xcb_window_t(0));

        // Yes: the download page goes to the browser and the program ends, its settings saved.
        QVERIFY(pressReturn(offer));
        QVERIFY2(run.finished(), "the program did not end");
        QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process().exitCode(), 0);
        QCOMPARE(m_xdgOpen->opened(), QStringList{QStringLiteral("http://127.0.0.1:27280/new-download")});
        QCOMPARE(run.setting(QStringLiteral("Home")), QStringLiteral("127.0.0.1:27280/new-download"));
        QVERIFY(run.settings().contains(QStringLiteral("tServer")));
    }

    void updateButtonAndLinks()
    {
        ProgramRun run;
        m_server.held = false;
        m_server.body = "127.0.0.1:27280/download\n7\n";
        const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\nLastTab=2\n");
        QVERIFY2(window, "the main window did not open");
        QTRY_COMPARE_WITH_TIMEOUT(m_server.requests, 1, 15000);
        QTest::qWait(500);
        QCOMPARE(m_x->findWindow(noticeCaption(QStringLiteral("Update check"))), xcb_window_t(0)); // silent

        QVERIFY(clickControl(*m_x, window, "coUpdate"));
        const xcb_window_t latest = waitForNotice(QStringLiteral("Update check"));
        QVERIFY2(latest, "the button did not confirm the latest release");
        QCOMPARE(m_server.requests, 2);
        QVERIFY(pressReturn(latest));

        QVERIFY(clickControl(*m_x, window, "BannerLink"));
        QTRY_COMPARE_WITH_TIMEOUT(m_xdgOpen->opened(),
                                  QStringList{QStringLiteral("https://127.0.0.1:27280/banner")}, kWaitMs);

        // With no check waiting, the same click on "Delete" asks; Yes deletes the settings and ends the
        // program.
        QVERIFY(clickControl(*m_x, window, "coDelete"));
        const xcb_window_t question = waitForNotice(QStringLiteral("Delete registry entries"));
        QVERIFY2(question, "the Delete button did not ask");
        QVERIFY(pressReturn(question));
        QVERIFY2(run.finished(), "the program did not end");
        QVERIFY(run.settings().isEmpty());
    }

private:
    // Waits for a notice of this kind while the test's server goes on serving.
    xcb_window_t waitForNotice(const QString& kind)
    {
        const QDeadlineTimer deadline(kWaitMs);
        xcb_window_t notice = 0;
        while (!(notice = m_x->findWindow(noticeCaption(kind))) && !deadline.hasExpired())
            QTest::qWait(20);
        return notice;
    }

    std::unique_ptr<XDisplay> m_x;
    std::unique_ptr<FakeXdgOpen> m_xdgOpen;
    HttpServer m_server{kHttpPort};
};

QTEST_MAIN(UpdateTest)
#include "update_test.moc"
