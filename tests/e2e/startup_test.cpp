// The real program started and closed the way a user does it, on the X server the tests run on: what a start
// shows, what it leaves in the settings file, and how it refuses to start.

#include "support/XDisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <memory>

#include <csignal>

namespace {

const QString kTitle = QStringLiteral("Spectrel by Zovan v1.2.9");
const QString kIniName = QStringLiteral("Spectrel by Zovan.ini");
constexpr int kWaitMs = 10000;

QString programPath()
{
    return qEnvironmentVariable("SPECTREL");
}

QString noticeCaption(const QString& kind)
{
    return kTitle + QStringLiteral(" - ") + kind;
}

// Presses Return in `window` (a notice): the focus is put there first, as no window manager does it.
bool pressReturn(xcb_window_t window)
{
    return QProcess::execute(QStringLiteral("timeout"),
                             {QStringLiteral("10"), QStringLiteral("xdotool"), QStringLiteral("windowfocus"),
                              QStringLiteral("--sync"), QString::number(window), QStringLiteral("key"),
                              QStringLiteral("Return")}) == 0;
}

// Runs xdotool on `display` (the tests' own when empty), bounded in time.
bool xdotool(const QStringList& arguments, const QString& display = {})
{
    QProcess p;
    if (!display.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral("timeout"),
            QStringList{QStringLiteral("10"), QStringLiteral("xdotool")} + arguments);
    return p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Clicks the window at a point of its layout given in twips (the client area is 7110 twips wide).
QStringList clickAt(xcb_window_t window, int windowWidth, QPoint twips)
{
    const double scale = windowWidth / 7110.0;
    return {QStringLiteral("mousemove"),
            QStringLiteral("--sync"),
            QStringLiteral("--window"),
            QString::number(window),
            QString::number(qRound(twips.x() * scale)),
            QString::number(qRound(twips.y() * scale)),
            QStringLiteral("click"),
            QStringLiteral("1")};
}

// Inside the proxy address field and the ALT box of the record hotkey, on the first page.
constexpr QPoint kServerField(15 + 75 + 1505 + 200, 990 + 475 + 300 + 150);
constexpr QPoint kAltRecordBox(15 + 75 + 3520 + 100, 990 + 1970 + 350 + 100);

// One run of the program with its own settings folder and home folder (the home folder names the
// single-instance channel, so a developer's own copy is not disturbed).
class ProgramRun {
public:
    ProgramRun() { QDir(m_home.path()).mkpath(QStringLiteral("config")); }
    ~ProgramRun()
    {
        for (QProcess* p : {&m_process, &m_second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString iniPath() const { return m_configHome + u'/' + kIniName; }
    // Another settings folder, and another X server, for the runs that follow.
    void setConfigHome(const QString& folder) { m_configHome = folder; }
    void setDisplay(const QString& display) { m_display = display; }
    QString homePath() const { return m_home.path(); }

    void writeIni(const QByteArray& settingsLines)
    {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\n" + settingsLines);
    }
    QByteArray iniText() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The keys of the settings group and their texts.
    QMap<QString, QString> settings() const
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const QString& key : ini.childKeys())
            values.insert(key, ini.value(key).toString());
        return values;
    }

    void start(QProcess& p)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!m_display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), m_display);
        env.remove(QStringLiteral("SESSION_MANAGER"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(programPath(), {});
    }
    QProcess& start()
    {
        start(m_process);
        return m_process;
    }
    QProcess& startSecond()
    {
        start(m_second);
        return m_second;
    }
    QProcess& process() { return m_process; }

    bool finished(int ms = kWaitMs)
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms);
    }

    // Types `text` into the proxy address field, then ticks the ALT box, whose handler saves it at once: once
    // the file shows the box, the program has handled the typing before it.
    void typeServer(xcb_window_t window, int windowWidth, const QString& text)
    {
        QVERIFY(xdotool(clickAt(window, windowWidth, kServerField) + QStringList{QStringLiteral("type"),
                                                                                 QStringLiteral("--delay"),
                                                                                 QStringLiteral("20"), text},
                        m_display));
        QVERIFY(xdotool(clickAt(window, windowWidth, kAltRecordBox), m_display));
        QTRY_VERIFY2_WITH_TIMEOUT(iniText().contains("cAltRec=1"), "the ALT box was not ticked", kWaitMs);
    }

private:
    QTemporaryDir m_home;
    QString m_configHome = m_home.filePath(QStringLiteral("config"));
    QString m_display;
    QProcess m_process;
    QProcess m_second;
};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void firstStartWelcomesAndSavesOnClose();
    void captionIsTheProgramTitle();
    void secondCopyHandsOverAndEnds();
    void refusedStart_data();
    void refusedStart();
    void windowKeptInsideTheScreen_data();
    void windowKeptInsideTheScreen();
    void unknownTabPageFallsBackToTheFirst();
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
    QVERIFY2(QFile::exists(programPath()), "SPECTREL must name the program");
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

    m_x->requestClose(window);
    QVERIFY2(run.finished(), "the program did not end after its window was closed");
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);

    const QMap<QString, QString> saved = run.settings();
    const QStringList expected{QStringLiteral("FirstRun"), QStringLiteral("Left"),  QStringLiteral("Top"),
                               QStringLiteral("tPort"),    QStringLiteral("tRcon"), QStringLiteral("tServer"),
                               QStringLiteral("tYour")};
    QStringList keys = saved.keys();
    keys.sort(Qt::CaseInsensitive);
    QStringList sortedExpected = expected;
    sortedExpected.sort(Qt::CaseInsensitive);
    QCOMPARE(keys.join(u','), sortedExpected.join(u','));
    QCOMPARE(saved.value(QStringLiteral("Left")).toFloat(), 0.0f);
    QCOMPARE(saved.value(QStringLiteral("Top")).toFloat(), 0.0f);
    for (const char* field : {"tServer", "tPort", "tRcon", "tYour"})
        QCOMPARE(saved.value(QString::fromLatin1(field)), QString());
}

void StartupTest::captionIsTheProgramTitle()
{
    // The caption is how a second copy, the user and the task bar know the window: both the old and the new
    // caption property carry exactly the program's title, with nothing added.
    ProgramRun run;
    run.writeIni("FirstRun=False\n");
    run.start();
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    const QString shown = m_x->netWmName(window);
    m_x->requestClose(window);
    QVERIFY(run.finished());
    QCOMPARE(shown, kTitle);
}

void StartupTest::secondCopyHandsOverAndEnds()
{
    ProgramRun run;
    run.writeIni("FirstRun=False\ntServer=127.0.0.1\n");
    run.start();
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
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

    m_x->requestClose(window);
    QVERIFY(run.finished());
    QCOMPARE(run.process().exitCode(), 0);
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
    QTest::newRow("letters as Top") << QByteArray("FirstRun=False\nTop=x1\n") << false
                                    << QStringLiteral("Error");
    QTest::newRow("FirstRun not a truth value")
        << QByteArray("FirstRun=perhaps\n") << false << QStringLiteral("Error");
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

void StartupTest::windowKeptInsideTheScreen_data()
{
    QTest::addColumn<QByteArray>("position");
    QTest::addColumn<bool>("atRightEdge");
    QTest::addColumn<bool>("atBottomEdge");

    QTest::newRow("far right") << QByteArray("Left=999999\nTop=0\n") << true << false;
    QTest::newRow("far below") << QByteArray("Left=0\nTop=999999\n") << false << true;
    QTest::newRow("left of the screen") << QByteArray("Left=-5000\nTop=-5000\n") << false << false;
}

void StartupTest::windowKeptInsideTheScreen()
{
    QFETCH(QByteArray, position);
    QFETCH(bool, atRightEdge);
    QFETCH(bool, atBottomEdge);

    ProgramRun run;
    run.writeIni("FirstRun=False\n" + position);
    run.start();
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    const QRect r = m_x->geometry(window);
    const QSize screen = m_x->screenSize();
    QVERIFY2(QRect(QPoint(0, 0), screen).contains(r),
             qPrintable(QStringLiteral("window %1,%2 %3x%4 not inside the screen")
                            .arg(r.x())
                            .arg(r.y())
                            .arg(r.width())
                            .arg(r.height())));
    // Pulled in only as far as needed: the edge touches the screen's edge (rounding to whole pixels aside).
    if (atRightEdge)
        QVERIFY2(screen.width() - (r.x() + r.width()) <= 1, qPrintable(QString::number(r.x() + r.width())));
    if (atBottomEdge)
        QVERIFY2(screen.height() - (r.y() + r.height()) <= 1,
                 qPrintable(QString::number(r.y() + r.height())));
    if (!atRightEdge)
        QCOMPARE(r.x(), 0);
    if (!atBottomEdge)
        QCOMPARE(r.y(), 0);

    m_x->requestClose(window);
    QVERIFY(run.finished());
    QCOMPARE(run.process().exitCode(), 0);
}

void StartupTest::unknownTabPageFallsBackToTheFirst()
{
    ProgramRun run;
    run.writeIni("FirstRun=False\nLastTab=7\n");
    run.start();
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    QCOMPARE(run.settings().value(QStringLiteral("LastTab")), QStringLiteral("0"));
    m_x->requestClose(window);
    QVERIFY(run.finished());
    QCOMPARE(run.settings().value(QStringLiteral("LastTab")), QStringLiteral("0"));
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
    m_x->requestClose(window);
    QVERIFY(run.finished());
    QCOMPARE(run.process().exitCode(), 0);
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
    run.writeIni("FirstRun=False\n");
    run.start();
    const xcb_window_t window = m_x->waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    run.typeServer(window, m_x->geometry(window).width(), QStringLiteral("127.0.0.9"));
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
    run.writeIni("FirstRun=False\n");
    run.start();
    const xcb_window_t window = x.waitForWindow(kTitle, kWaitMs);
    QVERIFY2(window, "the main window did not open");
    run.typeServer(window, x.geometry(window).width(), QStringLiteral("127.0.0.8"));
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
    m_x->requestClose(window);
    QVERIFY2(run.finished(), "the program did not end: a second warning?");
    QCOMPARE(run.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
