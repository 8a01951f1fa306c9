// The main window in this process, with scripted notices and recorded cues: start-up from a given settings
// file, the status panel against the simulator, the field check, deleting the settings.

#include "support/SimProcess.h"
#include "support/TestWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace spectrel;
using namespace Qt::StringLiterals;

class HLTVFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartShowsTheDefaults()
    {
        Window w{QString()};
        QVERIFY(w.form->Form_Load());
        QCOMPARE(w.notices.count(), 1);
        QCOMPARE(w.notices.shown().first().text, QStringLiteral("Welcome to Spectrel by Zovan!"));
        QCOMPARE(w.c().tabs()->currentIndex(), 0);
        // The boxes and lists keep what the layout gives them (window_layout_test); this one is also grayed.
        QVERIFY(!w.c().box("cAnnounceSpec")->isEnabled());
        QCOMPARE(w.c().label("lCServer")->text(), QStringLiteral("(not connected / offline)"));
        for (const char* button : {"cRecord", "cStop", "cRecNow", "cStopNow"})
            QVERIFY2(!w.c().button(button)->isEnabled(), button);
        QVERIFY(w.cues.played().isEmpty()); // restoring the boxes is silent
        QCOMPARE(w.storedKeys(), QStringList{"FirstRun"});

        // The first click on a box stores only that box.
        w.c().box("cAnnounceEnd")->click();
        QCOMPARE(w.storedKeys(), (QStringList{"FirstRun", "cAnnounceEnd"}));
        QCOMPARE(w.cues.played(), QList<int>{CueClick});
    }

    void refusedValuesShowTheFirstPage_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("kept");
        QTest::newRow("page beyond the pages") << u"LastTab=7\n"_s << u"0"_s;
        QTest::newRow("list index beyond the list") << u"cRK=61\nLastTab=2\n"_s << u"0"_s;
        QTest::newRow("box value 3") << u"cAltRec=3\nLastTab=1\n"_s << u"0"_s;
        QTest::newRow("a good page") << u"LastTab=2\n"_s << u"2"_s;
    }
    void refusedValuesShowTheFirstPage()
    {
        QFETCH(QString, settings);
        QFETCH(QString, kept);
        Window w(QStringLiteral("FirstRun=False\n") + settings);
        QVERIFY(w.form->Form_Load());
        QCOMPARE(w.stored(QStringLiteral("LastTab")), kept);
        QCOMPARE(QString::number(w.c().tabs()->currentIndex()), kept);
        QCOMPARE(w.notices.count(), 0);
    }

    // A restored box stores the value it was given, a hand-edited 2 (grayed) included, without a cue.
    void restoredBoxesStoreTheirValue()
    {
        Window w(QStringLiteral("FirstRun=False\ncAnnounceStart=2\ncAnnounceEnd=1\n"));
        QVERIFY(w.form->Form_Load());
        QCOMPARE(w.stored(QStringLiteral("cAnnounceStart")), QStringLiteral("2"));
        QCOMPARE(w.stored(QStringLiteral("cAnnounceEnd")), QStringLiteral("1"));
        QVERIFY(w.cues.played().isEmpty());
    }

    void restoredHotkeyRowKeepsItsEnableBox()
    {
        Window w(QStringLiteral("FirstRun=False\ncRecAction=1\ncRK=40\ncRHE=1\ncAltRec=1\n"));
        QVERIFY(w.form->Form_Load());
        QVERIFY(w.c().box("cRHE")->isChecked());
        QCOMPARE(w.c().list("cRK")->currentText(), QStringLiteral("F5"));
        QVERIFY(w.cues.played().isEmpty()); // registered at start-up without the hotkey cue
        // Any change to the row switches its hotkey off and is stored at once.
        w.c().list("cRK")->setCurrentIndex(41);
        QCOMPARE(w.stored(QStringLiteral("cRK")), QStringLiteral("41"));
        QVERIFY(!w.c().box("cRHE")->isChecked());
        QCOMPARE(w.stored(QStringLiteral("cRHE")), QStringLiteral("0"));
    }

    void fieldCheckWarnsAboutTheFirstField_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("warning");
        QTest::newRow("server first")
            << u"ab"_s << u""_s << u""_s << u"tServer"_s << u"Invalid server specified   "_s;
        QTest::newRow("port") << u"host"_s << u""_s << u""_s << u"tPort"_s << u"Invalid port specified   "_s;
        QTest::newRow("password") << u"host"_s << u"27015"_s << u""_s << u"tRcon"_s
                                  << u"Invalid rcon password specified   "_s;
    }
    void fieldCheckWarnsAboutTheFirstField()
    {
        QFETCH(QString, server);
        QFETCH(QString, port);
        QFETCH(QString, password);
        QFETCH(QString, field);
        Window w;
        QVERIFY(w.form->Form_Load());
        w.c().tabs()->setCurrentIndex(1);
        w.c().field("tServer")->setText(server);
        w.c().field("tPort")->setText(port);
        w.c().field("tRcon")->setText(password);
        QColor duringNotice;
        w.notices.whileShown([&](const ScriptedNotices::Shown&) {
            duringNotice = w.c().field(field.toLatin1().constData())->palette().color(QPalette::Base);
        });
        w.timeOutNextRequest(); // nothing is sent
        QVERIFY(!w.form->QueryStatus());
        QTEST(w.notices.lastText(), "warning");
        QCOMPARE(duringNotice, QColor(255, 192, 192));
        QCOMPARE(w.c().tabs()->currentIndex(), 0);
        QCOMPARE(w.cues.played(), QList<int>{CueFailure});
        QVERIFY(w.c().field(field.toLatin1().constData())->palette().color(QPalette::Base) !=
                QColor(255, 192, 192));
    }

    void refreshFillsThePanel()
    {
        SimProcess sim;
        QVERIFY(sim.start({"--recording", "Red-Blue", "--delay", "30", "--server-name", "Cup Server"}));
        Window w(QStringLiteral("FirstRun=False\ntServer=127.0.0.1\ntRcon=demo\ntPort=") + sim.portText() +
                 u'\n');
        QVERIFY(w.form->Form_Load());
        w.c().button("cRefresh")->click();
        QCOMPARE(w.c().label("lCServer")->text(), QStringLiteral("Cup Server (127.0.0.1:27015)"));
        QVERIFY(w.c().label("lCDemo")->text().startsWith(QStringLiteral("Recording Red-Blue-")));
        QCOMPARE(w.c().label("lCDemo")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QCOMPARE(w.c().tabs()->currentIndex(), 1); // a recording report shows the Demo page
        QVERIFY(w.c().button("cStop")->isEnabled() && w.c().button("cStopNow")->isEnabled());
        QVERIFY(!w.c().button("cRecord")->isEnabled() && !w.c().button("cRecNow")->isEnabled());
        QVERIFY(w.c().button("cRefresh")->isEnabled());
        QCOMPARE(w.cues.played(), QList<int>{CueClick});

        // The proxy loses its game server: offline panel, auto-refresh off and stored so.
        w.c().box("cAutoRefresh")->setChecked(true);
        sim.control("game-server off");
        QTest::qWait(200);
        w.c().button("cRefresh")->click();
        QCOMPARE(w.c().label("lCServer")->text(), QStringLiteral("(not connected / offline)"));
        QVERIFY(!w.c().box("cAutoRefresh")->isChecked());
        QCOMPARE(w.stored(QStringLiteral("cAutoRefresh")), QStringLiteral("0"));
        QVERIFY(!w.c().button("cStop")->isEnabled());
    }

    // "No" keeps everything; "Yes" (deleting and ending the program) is update_test's, end to end.
    void deleteAsksFirst()
    {
        Window w(QStringLiteral("FirstRun=False\ntServer=keep.me\nHome=x\n"));
        QVERIFY(w.form->Form_Load());
        w.notices.answerNext(AnswerNo);
        w.c().button("coDelete")->click();
        QCOMPARE(w.notices.shown().last().kind, QStringLiteral("Delete registry entries"));
        QCOMPARE(w.notices.shown().last().text,
                 QStringLiteral(
                     "Are you sure you want to delete all Spectrel registry entries?\r\nSpectrel will have "
                     "to close"));
        QVERIFY(w.form->isVisible());
        QCOMPARE(w.stored(QStringLiteral("tServer")), QStringLiteral("keep.me"));
    }
};

QTEST_MAIN(HLTVFormTest)
#include "hltv_form_test.moc"
