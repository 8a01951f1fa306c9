// The real program started and closed the way a user does it, on the X server the tests run on: what a start
// shows, what it leaves in the settings file, and how it refuses to start.

#include "ProgramRun.h"

#include <QUdpSocket>

#include <memory>

#include <csignal>

using namespace spectrel;

namespace {

QString noticeCaption(const QString& kind)
{
    return kTitle + QStringLiteral(" - ") + kind;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void firstStartWelcomesAndSavesOnClose();
    void secondCopyHandsOverAndEnds();
    void refusedStart_data();
    void refusedStart();
    void windowKeptInsideTheScreen();
    void raiseWhileStartingIsIgnored();
    void signalEndsThroughShutdown_data();
    void signalEndsThroughShutdown();
    void displayGoneStillSaves();
    void unsavableSettingsWarnOnce();

private:
    std::unique_ptr<XDisplay> m_x;
};

void StartupTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (DISPLAY is not set)");
    QVERIFY2(QFile::exists(qEnvironmentVariable("SPECTREL")), "SPECTREL must name the program");
    m_x = std::make_unique<XDisplay>();
    QVERIFY(m_x->isOpen());
    QVERIFY2(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0,
             "xdotool is missing");
}

void StartupTest::firstStartWelcomesAndSavesOnClose()
{
    ProgramRun run;
    run.start();

    // The welcome comes before the window, and by then the settings hold nothing but the first-run mark.
    const xcb_window_t welcome = m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs);
    QVERIFY2(welcome, "no welcome notice");
    QCOMPARE(m_x->findWindow(kTitle), xcb_window_t(0));
    QCOMPARE(run.settings().keys().join(u','), QStringLiteral("FirstRun"));
    QCOMPARE(run.settings().value(QStringLiteral("FirstRun")), QStringLiteral("False"));
    QVERIFY(pressReturn(welcome));

    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    QTest::qWait(500); // the first paint follows the mapping
    const QImage picture = m_x->grab(window);
    QVERIFY(!picture.isNull());
    QDir().mkpath(QStringLiteral(SPECTREL_SCREENSHOT_DIR));
    QVERIFY(picture.save(QStringLiteral(SPECTREL_SCREENSHOT_DIR "/spectrel-window.png")));

    // Restoring the defaults runs no handler that stores a value: the file is as the welcome left it.
    QCOMPARE(run.settings().keys().join(u','), QStringLiteral("FirstRun"));
    // A fresh start opens at the top-left corner of the work area.
    QCOMPARE(m_x->geometry(window).topLeft(), QPoint(0, 0));
    // The caption of today's window managers carries exactly the title too.
    QCOMPARE(m_x->netWmName(window), kTitle);
    // The icon comes in every size a task bar or window switcher may draw.
    QCOMPARE(m_x->iconSizes(window),
             (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));

    QVERIFY2(run.closeAndEnd(*m_x, window), "the program did not end after its window was closed");

    const QMap<QString, QString> saved = run.settings();
    QCOMPARE(saved.keys().join(u','), QStringLiteral("FirstRun,Left,Top,tPort,tRcon,tServer,tYour"));
    QCOMPARE(saved.value(QStringLiteral("Left")).toFloat(), 0.0f);
    QCOMPARE(saved.value(QStringLiteral("Top")).toFloat(), 0.0f);
    for (const char* field : {"tServer", "tPort", "tRcon", "tYour"})
        QCOMPARE(saved.value(QString::fromLatin1(field)), QString());
}

void StartupTest::secondCopyHandsOverAndEnds()
{
    ProgramRun run;
    const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\ntServer=127.0.0.1\n");
    QVERIFY2(window, "the main window did not open");
    const QByteArray before = run.iniText();

    QProcess& second = run.startSecond();
    QVERIFY2(second.waitForFinished(kWaitMs), "the second copy kept running");
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    // The first copy goes on, still with one window, and nothing was written by the second.
    QTest::qWait(200);
    QCOMPARE(run.process().state(), QProcess::Running);
    QCOMPARE(m_x->findWindow(kTitle), window);
    QCOMPARE(run.iniText(), before);

    QVERIFY(run.closeAndEnd(*m_x, window));
    QCOMPARE(run.settings().value(QStringLiteral("tServer")), QStringLiteral("127.0.0.1"));
}

void StartupTest::refusedStart_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("holdPort");
    QTest::addColumn<QString>("notice");

    QTest::newRow("port 27222 in use") << QByteArray("FirstRun=False\n") << true << QStringLiteral("Warning");
    QTest::newRow("letters as Left") << QByteArray("FirstRun=False\nLeft=abc\n") << false
                                     << QStringLiteral("Error");
}

void StartupTest::refusedStart()
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
void StartupTest::windowKeptInsideTheScreen()
{
    ProgramRun run;
    const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\nLeft=999999\nTop=999999\n");
    QVERIFY2(window, "the main window did not open");
    const QRect r = m_x->geometry(window);
    const QSize screen = m_x->screenSize();
    QVERIFY2(QRect(QPoint(0, 0), screen).contains(r),
             qPrintable(QStringLiteral("window at %1,%2").arg(r.x()).arg(r.y())));
    QVERIFY2(screen.width() - (r.x() + r.width()) <= 1, qPrintable(QString::number(r.x() + r.width())));
    QVERIFY2(screen.height() - (r.y() + r.height()) <= 1, qPrintable(QString::number(r.y() + r.height())));
    QVERIFY(run.closeAndEnd(*m_x, window));
}

void StartupTest::raiseWhileStartingIsIgnored()
{
    // The caption a second copy looks for exists from early in start-up; the window must not come up
    // half-built over the welcome notice.
    ProgramRun run;
    run.start();
    const xcb_window_t welcome = m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs);
    QVERIFY2(welcome, "no welcome notice");
    QProcess& second = run.startSecond();
    QVERIFY2(second.waitForFinished(kWaitMs), "the second copy kept running");
    QCOMPARE(second.exitCode(), 0);
    // Given the time a raise takes, the welcome is still the program's only window.
    QTest::qWait(1000);
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(run.process().processId())});
    QVERIFY(search.waitForFinished(kWaitMs));
    QCOMPARE(search.readAllStandardOutput().trimmed(), QByteArray::number(welcome));

    QVERIFY(pressReturn(welcome));
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    QVERIFY(run.closeAndEnd(*m_x, window));
}

void StartupTest::signalEndsThroughShutdown_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("TERM") << int(SIGTERM);
    QTest::newRow("HUP") << int(SIGHUP);
}

void StartupTest::signalEndsThroughShutdown()
{
    QFETCH(int, signalNumber);
    ProgramRun run;
    const xcb_window_t window = run.startToWindow(*m_x, "FirstRun=False\n");
    QVERIFY2(window, "the main window did not open");
    run.typeServer(*m_x, window, QStringLiteral("127.0.0.9"));
    QCOMPARE(::kill(pid_t(run.process().processId()), signalNumber), 0);

    QVERIFY2(run.finished(), "the program did not end on the signal");
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);
    QCOMPARE(run.settings().value(QStringLiteral("tServer")), QStringLiteral("127.0.0.9"));
    QVERIFY(run.settings().contains(QStringLiteral("Left")));
}

void StartupTest::displayGoneStillSaves()
{
    // An X server of this test's own, which it can take away.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")});
    QVERIFY2(xvfb.waitForReadyRead(kWaitMs), "Xvfb did not start");
    const QString display = u':' + QString::fromLatin1(xvfb.readLine().trimmed());
    const QByteArray ours = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.toLatin1());
    XDisplay x;
    qputenv("DISPLAY", ours);
    QVERIFY(x.isOpen());

    ProgramRun run;
    run.setDisplay(display);
    const xcb_window_t window = run.startToWindow(x, "FirstRun=False\n");
    QVERIFY2(window, "the main window did not open");
    run.typeServer(x, window, QStringLiteral("127.0.0.8"));
    xvfb.terminate();
    QVERIFY(xvfb.waitForFinished(kWaitMs));

    QVERIFY2(run.finished(), "the program did not end without its display");
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.settings().value(QStringLiteral("tServer")), QStringLiteral("127.0.0.8"));
}

void StartupTest::unsavableSettingsWarnOnce()
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
    const xcb_window_t welcome = m_x->waitForWindow(noticeCaption(QStringLiteral("Welcome notes")), kWaitMs);
    QVERIFY2(welcome, "no welcome notice");
    QVERIFY(pressReturn(welcome));
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");

    // Closing saves again and fails again, without a second warning in the way.
    QVERIFY2(run.closeAndEnd(*m_x, window), "the program did not end: a second warning?");
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
