// The real program started and closed the way a user does it, on the X server the tests run on: what a start
// shows, what it leaves in the settings file, and how it refuses to start.

#include "ProgramRun.h"

#include <QCryptographicHash>
#include <QUdpSocket>

#include <memory>

#include <csignal>

using namespace spectrel;

class StartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (DISPLAY is not set)");
        QVERIFY2(QFile::exists(qEnvironmentVariable("SPECTREL")), "SPECTREL must name the program");
        m_x = std::make_unique<XDisplay>();
        QVERIFY(m_x->isOpen());
        QVERIFY2(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0,
                 "xdotool is missing");
    }

    void firstStartWelcomesAndSavesOnClose()
    {
        ProgramRun run;
        run.start();

        // The welcome comes before the window, and by then the settings hold nothing but the first-run mark.
        const xcb_window_t welcome =
            m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs);
        QVERIFY2(welcome, "no welcome notice");
        QCOMPARE(m_x->findWindow(kTitle), xcb_window_t(0));
        QCOMPARE(run.settings().keys().join(u','), QStringLiteral("FirstRun"));
        QCOMPARE(run.settings().value(QStringLiteral("FirstRun")), QStringLiteral("False"));
        QVERIFY(pressReturn(welcome));

        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");
        // Restoring the defaults runs no handler that stores a value: the file is as the welcome left it.
        QCOMPARE(run.settings().keys().join(u','), QStringLiteral("FirstRun"));
        // A fresh start opens at the top-left corner of the work area.
        QCOMPARE(m_x->geometry(window).topLeft(), QPoint(0, 0));
        // The caption of today's window managers carries exactly the title too.
        QCOMPARE(m_x->netWmName(window), kTitle);
        // Once the window is shown: the sound cues from their module, and the icon in every size a task bar
        // or window switcher may draw.
        QTRY_VERIFY_WITH_TIMEOUT(run.log().contains("sound cues loaded from"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(
            m_x->iconSizes(window),
            (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}), kWaitMs);

        QVERIFY2(run.closeAndEnd(*m_x, window), "the program did not end after its window was closed");

        const QMap<QString, QString> saved = run.settings();
        QCOMPARE(saved.keys().join(u','), QStringLiteral("FirstRun,Left,Top,tPort,tRcon,tServer,tYour"));
        QCOMPARE(saved.value(QStringLiteral("Left")).toFloat(), 0.0f);
        QCOMPARE(saved.value(QStringLiteral("Top")).toFloat(), 0.0f);
        for (const char* field : {"tServer", "tPort", "tRcon", "tYour"})
            QCOMPARE(saved.value(QString::fromLatin1(field)), QString());
    }

    void secondCopyHandsOverAndEnds_data()
    {
        QTest::addColumn<bool>("welcome"); // the first copy still shows its welcome notice
        QTest::newRow("window open") << false;
        QTest::newRow("during the welcome") << true;
    }

    // The second copy ends at once and writes nothing; the first goes on with the one window it showed. The
    // caption a second copy looks for exists from early in start-up: the window must not come up half-built
    // over the welcome notice.
    void secondCopyHandsOverAndEnds()
    {
        QFETCH(bool, welcome);
        ProgramRun run;
        xcb_window_t window = 0;
        if (welcome)
            run.start();
        else
            window = run.startToWindow(*m_x, "FirstRun=False\ntServer=127.0.0.1\n");
        const xcb_window_t shown =
            welcome ? m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs) : window;
        QVERIFY2(shown, "neither welcome nor window");
        const QByteArray before = run.iniText();

        QProcess& second = run.startSecond();
        QVERIFY2(second.waitForFinished(kWaitMs), "the second copy kept running");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(1000); // the time a raise takes
        QCOMPARE(run.process().state(), QProcess::Running);
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {"search", "--onlyvisible", "--pid", QString::number(run.process().processId())});
        QVERIFY(search.waitForFinished(kWaitMs));
        QCOMPARE(search.readAllStandardOutput().trimmed(), QByteArray::number(shown));
        QCOMPARE(run.iniText(), before);

        if (welcome) {
            QVERIFY(pressReturn(shown));
            window = m_x->waitForWindow(kTitle, kWaitMs);
            QVERIFY2(window, "the main window did not open");
        }
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    // A copy killed outright leaves its channel's socket behind: the next copy takes the channel over, and a
    // second copy reaches it there. The channel is the user's alone and goes with the copy that ends
    // normally.
    void channelOutlivesAKilledCopy()
    {
        ProgramRun run;
        const QString channel =
            QDir::tempPath() + QStringLiteral("/spectrel-") +
            QString::fromLatin1(
                QCryptographicHash::hash(run.homePath().toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
        QVERIFY(run.startToWindow(*m_x, "FirstRun=False\n"));
        QCOMPARE(QFile::permissions(channel),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        run.process().kill();
        QVERIFY(run.finished());
        QVERIFY(QFile::exists(channel));
        QTRY_VERIFY_WITH_TIMEOUT(!m_x->findWindow(kTitle), kWaitMs); // the X server has let the window go

        const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\n");
        QVERIFY2(window, "the next copy did not open its window");
        QProcess& second = run.startSecond();
        QVERIFY(second.waitForFinished(kWaitMs));
        QCOMPARE(second.exitCode(), 0); // handed over, not a window of its own
        QVERIFY(run.closeAndEnd(*m_x, window));
        QVERIFY(!QFile::exists(channel));
    }

    void refusedStart_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("holdPort");
        QTest::addColumn<QString>("notice");

        QTest::newRow("port 27222 in use")
            << QByteArray("FirstRun=False\n") << true << QStringLiteral("Warning");
        QTest::newRow("letters as Left")
            << QByteArray("FirstRun=False\nLeft=abc\n") << false << QStringLiteral("Error");
    }

    void refusedStart()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, holdPort);
        QFETCH(QString, notice);

        QUdpSocket holder;
        if (holdPort)
            QVERIFY2(holder.bind(QHostAddress::AnyIPv4, 27222, QAbstractSocket::DontShareAddress),
                     "port 27222 is busy");

        ProgramRun run;
        run.writeIni(stored);
        run.start();
        const xcb_window_t box = m_x->waitForWindow(noticeCaption(notice), kWaitMs);
        QVERIFY2(box, qPrintable(QStringLiteral("no notice \"%1\"").arg(noticeCaption(notice))));
        QCOMPARE(m_x->findWindow(kTitle), xcb_window_t(0));
        QVERIFY(pressReturn(box));

        QVERIFY2(run.finished(), "the program kept running after the notice");
        QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
        QVERIFY(run.process().exitCode() != 0);
        // A start that did not finish saves nothing: the file is as it was.
        QCOMPARE(run.iniText(), QByteArray("[Settings]\n" + stored));
    }

    // Pulled in from far right and below only as far as needed: its edges touch the screen's (whole pixels
    // aside).
    void windowKeptInsideTheScreen()
    {
        ProgramRun run;
        const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\nLeft=999999\nTop=999999\n");
        QVERIFY2(window, "the main window did not open");
        const QRect r = m_x->geometry(window);
        const QSize screen = m_x->screenSize();
        QVERIFY2(QRect(QPoint(0, 0), screen).contains(r),
                 qPrintable(QStringLiteral("window at %1,%2").arg(r.x()).arg(r.y())));
        QVERIFY2(screen.width() - (r.x() + r.width()) <= 1, qPrintable(QString::number(r.x() + r.width())));
        QVERIFY2(screen.height() - (r.y() + r.height()) <= 1,
                 qPrintable(QString::number(r.y() + r.height())));
        QVERIFY(run.closeAndEnd(*m_x, window));
    }

    void endedFromOutsideStillSaves_data()
    {
        QTest::addColumn<int>("signalNumber"); // 0: the X server goes away
        QTest::newRow("TERM") << int(SIGTERM);
        QTest::newRow("HUP") << int(SIGHUP);
        QTest::newRow("display gone") << 0;
    }

    // Ended by a signal or by losing its display, the program still goes through its shutdown and saves.
    void endedFromOutsideStillSaves()
    {
        QFETCH(int, signalNumber);
        QProcess xvfb; // for the display that goes away: an X server of this test's own
        std::unique_ptr<XDisplay> own;
        ProgramRun run;
        if (signalNumber == 0) {
            xvfb.start(QStringLiteral("Xvfb"),
                       {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
            QVERIFY2(xvfb.waitForReadyRead(kWaitMs), "Xvfb did not start");
            const QString display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());
            const QByteArray ours = qgetenv("DISPLAY");
            qputenv("DISPLAY", display.toLatin1());
            own = std::make_unique<XDisplay>();
            qputenv("DISPLAY", ours);
            QVERIFY(own->isOpen());
            run.setDisplay(display);
        }
        XDisplay& x = own ? *own : *m_x;
        const xcb_window_t window = run.startToWindow(x, "FirstRun=False\n");
        QVERIFY2(window, "the main window did not open");
        run.typeServer(x, window, QStringLiteral("127.0.0.9"));
        if (signalNumber != 0) {
            QCOMPARE(::kill(pid_t(run.process().processId()), signalNumber), 0);
        } else {
            xvfb.terminate();
            QVERIFY(xvfb.waitForFinished(kWaitMs));
        }

        QVERIFY2(run.finished(), "the program did not end");
        QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.settings().value(QStringLiteral("tServer")), QStringLiteral("127.0.0.9"));
        if (signalNumber != 0) {
            QCOMPARE(run.process().exitCode(), 0);
            QVERIFY(run.settings().contains(QStringLiteral("Left")));
        }
    }

    void unsavableSettingsWarnOnce()
    {
        // A file where the settings folder should be: no write can be saved, whoever runs the test.
        ProgramRun run;
        const QString blocker = run.homePath() + QStringLiteral("/blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        run.setConfigHome(blocker + QStringLiteral("/config"));
        run.start();

        // The first write (the first-run mark) is the one that warns; the welcome follows.
        const xcb_window_t warning = m_x->waitForWindow(noticeCaption(QStringLiteral("Warning")), kWaitMs);
        QVERIFY2(warning, "no warning about the settings");
        QVERIFY(pressReturn(warning));
        const xcb_window_t welcome =
            m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs);
        QVERIFY2(welcome, "no welcome notice");
        QVERIFY(pressReturn(welcome));
        const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
        QVERIFY2(window, "the main window did not open");

        // Closing saves again and fails again, without a second warning in the way.
        QVERIFY2(run.closeAndEnd(*m_x, window), "the program did not end: a second warning?");
    }

private:
    std::unique_ptr<XDisplay> m_x;
};

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
