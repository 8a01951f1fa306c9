// The four recording actions and the automatic refresh, pressed in the main window (in this process, on a
// manual clock) against the simulator as a real process: what reaches the proxy, what the user sees and
// hears.

#include "support/SimProcess.h"
#include "support/TestWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace spectrel;

namespace {

const QString kRecord = QStringLiteral("record \"ClanA-ClanB\"");
const QString kAlreadyRecording = QStringLiteral("HLTV proxy already recording   ");

// The window ready to record "ClanA-ClanB" against the simulator.
struct Match {
    SimProcess sim;
    std::unique_ptr<Window> w;

    explicit Match(const QStringList& simArgs, const QString& moreSettings = QString())
    {
        if (!sim.start(QStringList{"--password", "demo"} + simArgs))
            return;
        w = std::make_unique<Window>(
            QStringLiteral("FirstRun=False\ntServer=127.0.0.1\ntRcon=demo\ntYour=ClanA\n"
                           "tPort=") +
            sim.portText() + u'\n' + moreSettings);
        if (!w->form->Form_Load()) {
            w.reset();
            return;
        }
        w->c().field("tOpponent")->setText(QStringLiteral("ClanB"));
        // As the user would: a look at the proxy first, which enables the buttons that fit.
        w->form->QueryStatus();
        sim.waitForCommands(1, 2000);
        sim.clearCommands();
    }
    bool ready() const { return w != nullptr; }

    QPushButton* button(const char* name) const { return w->c().button(name); }
    QString demoLabel() const { return w->c().label("lCDemo")->text(); }
    void press(const char* name)
    {
        QVERIFY2(button(name)->isEnabled(), name);
        button(name)->click();
    }
    void advance(int ms) { w->clock.advance(ms); }
    // The commands the proxy got since the last call.
    QStringList commands(int atLeast)
    {
        QStringList got = sim.waitForCommands(atLeast, 2000);
        sim.clearCommands();
        return got;
    }
    // The simulator acts on a control line before the next datagram it reads.
    void control(const QByteArray& line)
    {
        sim.control(line);
        QTest::qWait(100);
    }
};

} // namespace

class RecordingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A window that ended the program asked the application to quit, after which no event loop runs; the
    // next case needs them running again, as a new start of the program would have them.
    void cleanup()
    {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    void immediateActions_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<int>>("cues");
        QTest::addColumn<QString>("notice");
        const QStringList recording{"--recording", "Old-Demo"};
        QTest::newRow("record now, announced")
            << QStringList() << "cRecNow"
            << QStringList{"status", kRecord, "status", "say Started recording HLTV demo"}
            << QList<int>{CueClick, CueStart} << QString();
        QTest::newRow("stop now, announced")
            << recording << "cStopNow"
            << QStringList{"status", "stoprecording", "status", "say Finished recording HLTV demo"}
            << QList<int>{CueClick, CueFinish} << QString();
        QTest::newRow("record while recording") << recording << "cRecord" << QStringList{"status"}
                                                << QList<int>{CueClick, CueFailure} << kAlreadyRecording;
        QTest::newRow("stop while not recording")
            << QStringList() << "cStop" << QStringList{"status"} << QList<int>{CueClick} << QString();
    }
    void immediateActions()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, button);
        QFETCH(QStringList, commands);
        QFETCH(QList<int>, cues);
        Match m(simArgs, QStringLiteral("cAnnounceStart=1\ncAnnounceEnd=1\n"));
        QVERIFY(m.ready());
        // The buttons are pressed as the hotkeys press them: whatever the window showed before.
        button == u"cRecNow"    ? m.w->form->cRecNow_Click()
        : button == u"cStopNow" ? m.w->form->cStopNow_Click()
        : button == u"cRecord"  ? m.w->form->cRecord_Click()
                                : m.w->form->cStop_Click();
        QCOMPARE(m.commands(int(commands.size())), commands);
        QCOMPARE(m.w->cues.played(), cues);
        QTEST(m.w->notices.lastText(), "notice");
        QVERIFY(!m.w->form->recorder().countdown().running);
    }

    // The label counts the delay down from the press; the command leaves at press + delay + 1 s. How the
    // delay is read is countdown_text_test's.
    void countdownFollowsTheDelay_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<int>("seconds");
        QTest::newRow("30") << "30" << 30;
        QTest::newRow("2.5 rounds to even") << "2.5" << 2;
        QTest::newRow("none") << "0" << 0;
        QTest::newRow("negative shows as read, runs out at once") << "-5" << -5;
    }
    void countdownFollowsTheDelay()
    {
        QFETCH(QString, delay);
        QFETCH(int, seconds);
        Match m({"--delay-text", delay});
        QVERIFY(m.ready());
        m.press("cRecord");
        QCOMPARE(m.commands(1), QStringList{"status"});
        QCOMPARE(m.demoLabel(), QStringLiteral("Recording in %1 seconds...").arg(seconds));
        QVERIFY(m.button("cStopNow")->isEnabled()); // it can cancel the pending start
        for (int left = seconds - 1; left >= 0; --left) {
            m.advance(1000);
            QCOMPARE(m.demoLabel(), left > 0 ? QStringLiteral("Recording in %1 seconds...").arg(left)
                                             : QStringLiteral("Recording..."));
        }
        QCOMPARE(m.commands(0), QStringList()); // nothing before the delay has passed
        m.advance(1000);
        QCOMPARE(m.commands(3), (QStringList{"status", kRecord, "status"}));
        QVERIFY(m.demoLabel().startsWith(QStringLiteral("Recording ClanA-ClanB-")));
        QCOMPARE(m.w->cues.played(), (QList<int>{CueClick, CueStart})); // no click at the run-out
    }

    void stopCountdown()
    {
        Match m({"--recording", "ClanA-ClanB", "--delay-text", "2"});
        QVERIFY(m.ready());
        m.press("cStop");
        QCOMPARE(m.demoLabel(), QStringLiteral("Finishing in 2 seconds..."));
        m.w->form->QueryStatus(); // a report meanwhile keeps the countdown's text
        QCOMPARE(m.demoLabel(), QStringLiteral("Finishing in 2 seconds..."));
        m.advance(2000);
        QCOMPARE(m.demoLabel(), QStringLiteral("Finishing..."));
        m.advance(1000);
        QCOMPARE(m.commands(5), (QStringList{"status", "status", "status", "stoprecording", "status"}));
        QCOMPARE(m.demoLabel(), QStringLiteral("(not recording)"));
    }

    // What happens meanwhile decides what the run-out does.
    void duringAStartCountdown_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QList<int>>("cues");
        QTest::addColumn<QString>("label"); // what the demo label starts with afterwards
        QTest::newRow("recording started by other means")
            << "other" << kAlreadyRecording << QList<int>{CueClick, CueFailure} << "Recording Someone-Else-";
        QTest::newRow("opponent field emptied") << "empty"
                                                << "Invalid opponent clan name specified   "
                                                << QList<int>{CueClick, CueFailure} << "Recording...";
        QTest::newRow("proxy silent")
            << "silent" << QString() << QList<int>{CueClick, CueFailure} << "Recording...";
        QTest::newRow("stop now cancels")
            << "stopnow" << QString() << QList<int>{CueClick, CueClick} << "(not recording)";
        QTest::newRow("game server lost") << "offline" << QString() << QList<int>{CueClick, CueClick} << "";
        // The label of each case is exact except where it ends in "-".
    }
    void duringAStartCountdown()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QList<int>, cues);
        QFETCH(QString, label);
        Match m({"--delay-text", "3"});
        QVERIFY(m.ready());
        m.press("cRecord");
        m.advance(1000);
        if (meanwhile == u"other") {
            m.control("record Someone-Else");
        } else if (meanwhile == u"empty") {
            m.w->c().field("tOpponent")->clear();
        } else if (meanwhile == u"silent") {
            m.control("silent on");
        } else if (meanwhile == u"stopnow") {
            m.press("cStopNow");
            QVERIFY(!m.button("cStopNow")->isEnabled());
        } else {
            m.control("game-server off");
            m.press("cRefresh");
            QVERIFY(!m.w->form->recorder().countdown().running);
        }
        if (meanwhile == u"silent")
            m.w->timeOutNextRequest();
        m.advance(3000);
        QVERIFY(!m.commands(1).contains(kRecord));
        QTEST(m.w->notices.lastText(), "notice");
        QCOMPARE(m.w->cues.played(), cues);
        QCOMPARE(label.endsWith(u'-') ? m.demoLabel().left(label.size()) : m.demoLabel(), label);
        QCOMPARE(m.w->form->recorder().countdown().mode, CountdownMode::None);
    }

    // A stop countdown ends otherwise too: the run-out asks first and stops only a proxy that still records.
    void duringAStopCountdown_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("stops"); // how many "stoprecording" the proxy gets
        QTest::addColumn<QList<int>>("cues");
        QTest::addColumn<QString>("label");
        QTest::newRow("stopped by other means") << "other" << 0 << QList<int>{CueClick} << "(not recording)";
        QTest::newRow("proxy silent") << "silent" << 0 << QList<int>{CueClick, CueFailure} << "Finishing...";
        QTest::newRow("stop now stops at once")
            << "stopnow" << 1 << QList<int>{CueClick, CueClick, CueFinish} << "(not recording)";
        QTest::newRow("game server lost") << "offline" << 0 << QList<int>{CueClick, CueClick} << "";
    }
    void duringAStopCountdown()
    {
        QFETCH(QString, meanwhile);
        QFETCH(int, stops);
        Match m({"--recording", "ClanA-ClanB", "--delay-text", "3"});
        QVERIFY(m.ready());
        m.press("cStop");
        m.advance(1000);
        if (meanwhile == u"other") {
            m.control("stoprecording");
        } else if (meanwhile == u"silent") {
            m.control("silent on");
            m.w->timeOutNextRequest();
        } else if (meanwhile == u"stopnow") {
            m.press("cStopNow");
        } else {
            m.control("game-server off");
            m.press("cRefresh");
        }
        m.advance(3000);
        QCOMPARE(m.commands(1).count(QStringLiteral("stoprecording")), stops);
        QTEST(m.w->cues.played(), "cues");
        QTEST(m.demoLabel(), "label");
        QCOMPARE(m.w->form->recorder().countdown().mode, CountdownMode::None);
    }

    // The name goes out exactly as typed, quotes and blanks included, 45 characters at most.
    void longNameWithQuotesAndBlanks()
    {
        Match m({});
        QVERIFY(m.ready());
        const QString own = QStringLiteral("The \"Red\" Team ") + QString(30, u'x');
        m.w->c().field("tYour")->setText(own + QStringLiteral("yz"));
        QCOMPARE(m.w->c().field("tYour")->text(), own);
        m.press("cRecNow");
        QCOMPARE(m.commands(2).value(1), QStringLiteral("record \"%1-ClanB\"").arg(own));
    }

    void secondPressRestartsTheCountdown()
    {
        Match m({"--delay-text", "3"});
        QVERIFY(m.ready());
        m.press("cRecord");
        m.advance(2000);
        m.press("cRecord");
        QCOMPARE(m.demoLabel(), QStringLiteral("Recording in 3 seconds..."));
        m.advance(3000);
        QVERIFY(!m.commands(2).contains(kRecord));
        m.advance(1000);
        QVERIFY(m.commands(1).contains(kRecord));
    }

    // Beyond 16 bits the reading overflows at the press; the lowest 16-bit delay at the first tick.
    void absurdDelayEndsTheProgram_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<int>("ticks");
        QTest::newRow("1e9") << "1e9" << 0;
        QTest::newRow("-32768") << "-32768" << 1;
    }
    void absurdDelayEndsTheProgram()
    {
        QFETCH(QString, delay);
        QFETCH(int, ticks);
        Match m({"--delay-text", delay});
        QVERIFY(m.ready());
        m.press("cRecord");
        if (ticks > 0) {
            QCOMPARE(m.demoLabel(), QStringLiteral("Recording in %1 seconds...").arg(delay));
            QCOMPARE(m.w->notices.count(), 0);
            m.advance(1000 * ticks);
        }
        QCOMPARE(m.w->notices.lastText(), QStringLiteral("Overflow"));
        QCOMPARE(m.w->notices.shown().last().flags, int(NoticeError));
        QVERIFY(!m.w->form->isVisible());
        QVERIFY(!m.commands(1).contains(kRecord));
    }

    // Every 30 seconds a fresh status; a changed spectator count is announced once (the texts are
    // status_reading_test's).
    void autoRefreshAnnouncesSpectators()
    {
        Match m({"--spectators", "3"}, QStringLiteral("cAutoRefresh=1\ncAnnounceSpec=1\n"));
        QVERIFY(m.ready());
        QVERIFY(m.w->c().box("cAnnounceSpec")->isEnabled());
        m.advance(29999);
        QCOMPARE(m.commands(0), QStringList());
        m.advance(1);
        QCOMPARE(m.commands(2), (QStringList{"status", "say 3 spectators are watching this match"}));
        const QList<std::pair<QByteArray, QStringList>> laterTicks{
            {"set spectators 3", {"status"}},
            {"set spectators 0", {"status", "say No spectators are watching this match"}},
        };
        for (const auto& [line, expected] : laterTicks) {
            m.control(line);
            m.advance(30000);
            QCOMPARE(m.commands(int(expected.size())), expected);
        }
        // A proxy that stops answering ends the automatic refresh, silently, and it stays off next time.
        m.control("silent on");
        m.w->cues.clear();
        m.w->timeOutNextRequest();
        m.advance(30000);
        QVERIFY(!m.w->c().box("cAutoRefresh")->isChecked());
        QCOMPARE(m.w->stored(QStringLiteral("cAutoRefresh")), QStringLiteral("0"));
        QVERIFY(!m.w->c().box("cAnnounceSpec")->isEnabled());
        QCOMPARE(m.w->cues.played(), QList<int>());
        QCOMPARE(m.w->notices.count(), 0);
    }
};

QTEST_MAIN(RecordingTest)
#include "recording_test.moc"
