#include "link/AutoRefresh.h"
#include "link/ProxySession.h"
#include "link/StatusPanel.h"
#include "link/StatusReading.h"

#include <QtTest>

using namespace spectrel;

namespace {

// A fixed-width measure: every character is 100 twips wide, so 53 characters fit the panel and 54 do not.
int hundredTwipsEach(const QString& s)
{
    return int(s.size()) * 100;
}

QString report(const QString& body)
{
    return QStringLiteral("\xFF\xFF\xFF\xFFl--- HLTV Status ---\n") + body;
}

// The example report of six lines.
QString example(bool recording, const QString& players = QStringLiteral("11"),
                const QString& map = QStringLiteral("de_dust2"))
{
    QString s = QStringLiteral("Total Slots 128, Spectators 3\n"
                               "Connected to Game Server 192.0.2.10, Delay 30\n"
                               "Server Name \"Cup Server\"\n"
                               "Game Time 00:12:00, Map \"%1.bsp\", Players %2\n")
                    .arg(map, players);
    if (recording)
        s += u"Recording to ClanA-ClanB-0001.dem, Length 60\n";
    return report(s);
}

} // namespace

class StatusReadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exampleReport_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QString>("demo");
        QTest::addColumn<int>("proxyState");
        QTest::newRow("recording") << true << "Recording ClanA-ClanB-0001.dem" << 2;
        QTest::newRow("not recording") << false << "(not recording)" << 3;
    }
    void exampleReport()
    {
        QFETCH(bool, recording);
        SpectatorWatch watch{true, -1};
        const StatusReading r =
            readStatusReport(example(recording), watch, CountdownMode::None, hundredTwipsEach);
        QCOMPARE(r.outcome, StatusReading::Outcome::Connected);
        QCOMPARE(r.server, QStringLiteral("Cup Server (192.0.2.10)"));
        QCOMPARE(r.delay, QStringLiteral("30 seconds"));
        QCOMPARE(r.map, QStringLiteral("De_Dust2 / 10"));
        QTEST(r.demoText, "demo");
        QCOMPARE(r.showDemoPage, recording);
        QCOMPARE(watch.count, qint16(3));
        QVERIFY(watch.check);

        StatusPanel panel;
        panel.applyConnected(r, false);
        QTEST(int(panel.proxyState), "proxyState");
        QCOMPARE(panel.recordEnabled, !recording);
        QCOMPARE(panel.recNowEnabled, !recording);
        QCOMPARE(panel.stopEnabled, recording);
        QCOMPARE(panel.stopNowEnabled, recording);
        QCOMPARE(panel.demoInRecordingColour, recording);
    }

    void mapAndPlayers_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("players");
        QTest::addColumn<QString>("expected");
        const char* rows[][4] = {{"no underscore unchanged", "crossfire", "11", "crossfire / 10"},
                                 {"one player", "de_dust2", "1", "De_Dust2 / 0"},
                                 {"no players", "de_dust2", "0", "De_Dust2 / -1"},
                                 {"three digits read as two", "de_dust2", "123", "De_Dust2 / 11"},
                                 {"short underscore map", "de_", "5", "De_ / 4"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[1] << r[2] << r[3];
    }
    void mapAndPlayers()
    {
        QFETCH(QString, map);
        QFETCH(QString, players);
        SpectatorWatch watch;
        QTEST(
            readStatusReport(example(false, players, map), watch, CountdownMode::None, hundredTwipsEach).map,
            "expected");
    }

    void spectators_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("check");
        const QString rest =
            QStringLiteral("Connected to Game Server 1.2.3.4:27015, Delay 30\nServer Name \"x\"\n"
                           "Game Time 01:00, Map \"de_x.bsp\", Players 2\n");
        const QString three = "Total Slots 128, Spectators 3\n" + rest;
        QTest::newRow("three digits")
            << "Total Slots 128, Spectators 128 (max 9)\n" + rest << 1 << -1 << 128 << 1;
        QTest::newRow("two digits") << "Total Slots 128, Spectators 12\n" + rest << 1 << -1 << 12 << 1;
        QTest::newRow("one digit") << three << 1 << -1 << 3 << 1;
        QTest::newRow("unchanged") << three << 1 << 3 << 3 << 0;
        QTest::newRow("not asked for") << three << 0 << 5 << 5 << 0;
        QTest::newRow("letter keeps the count")
            << "Total Slots 128, Spectators x\n" + rest << 1 << 7 << 7 << 0;
        QTest::newRow("local count before total never read")
            << "Local Slots 32, Spectators 9 (max 9)\nTotal Slots 32, Spectators 4 (max 4)\n" + rest << 1
            << -1 << 4 << 1;
    }
    void spectators()
    {
        QFETCH(QString, lines);
        QFETCH(int, asked);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(int, check);
        SpectatorWatch watch{asked != 0, qint16(before)};
        const StatusReading r = readStatusReport(report(lines), watch, CountdownMode::None, hundredTwipsEach);
        QCOMPARE(r.outcome, StatusReading::Outcome::Connected);
        QCOMPARE(int(watch.count), after);
        QCOMPARE(int(watch.check), check);
    }

    // Reading the count cuts the report itself: what follows is read from after the count.
    void countReadingCutsTheReport_data()
    {
        QTest::addColumn<int>("check");
        QTest::addColumn<bool>("readable");
        QTest::newRow("count asked for") << 1 << false;
        QTest::newRow("count not asked for") << 0 << true;
    }
    void countReadingCutsTheReport()
    {
        QFETCH(int, check);
        SpectatorWatch watch{check != 0, -1};
        const StatusReading r = readStatusReport(
            report(QStringLiteral("Connected to Game Server 1.2.3.4:27015, Delay 30\nTotal Slots 32\n"
                                  "Server Name \"x\"\nGame Time 01:00, Map \"de_x.bsp\", Players 2\n")),
            watch, CountdownMode::None, hundredTwipsEach);
        QTEST(r.outcome == StatusReading::Outcome::Connected, "readable");
    }

    void announcements_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text"); // empty: nothing is said
        QTest::newRow("none") << 0 << "No spectators are watching this match";
        QTest::newRow("one") << 1 << "1 spectator is watching this match";
        QTest::newRow("many") << 128 << "128 spectators are watching this match";
        QTest::newRow("no count yet") << -1 << "";
    }
    void announcements()
    {
        QFETCH(int, count);
        QTEST(spectatorAnnouncement(qint16(count)).value_or(QString()), "text");
    }

    void unreadableOrOffline_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        const auto row = [](const char* name, const QString& text, StatusReading::Outcome outcome) {
            QTest::newRow(name) << text << int(outcome);
        };
        const auto without = [](const char* marker, const char* instead) {
            return example(true).replace(QLatin1String(marker), QLatin1String(instead));
        };
        using enum StatusReading::Outcome;
        row("no game server", report("Total Slots 128, Spectators 3\n"), NoGameServer);
        row("no delay", without(", Delay", " Delay"), Unreadable);
        row("no server name", without("Server Name", "Name"), Unreadable);
        row("no game time", without("Game Time", "Time"), Unreadable);
        row("no .bsp", without(".bsp", ""), Unreadable);
        row("recording without length", without(", Length", " Length"), Unreadable);
        row("no players marker goes on", without(", Players", " Players"), Connected);
        row("no total slots goes on", without("Total Slots", "Slots"), Connected);
    }
    void unreadableOrOffline()
    {
        QFETCH(QString, text);
        QFETCH(int, outcome);
        SpectatorWatch watch{true, -1};
        QCOMPARE(int(readStatusReport(text, watch, CountdownMode::None, hundredTwipsEach).outcome), outcome);
    }

    void serverFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // "" when unreadable
        // " (192.0.2.10)" is 13 characters; 53 characters fit.
        QTest::newRow("fits") << QString(40, u'a') << QString(40, u'a') + " (192.0.2.10)";
        QTest::newRow("address goes first") << QString(41, u'a') << QString(41, u'a');
        QTest::newRow("word by word") << "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa"
                                      << "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota";
        QTest::newRow("too wide without blanks") << QString(60, u'a') << "";
    }
    void serverFit()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        SpectatorWatch watch;
        const StatusReading r = readStatusReport(QString(example(false)).replace("Cup Server", name), watch,
                                                 CountdownMode::None, hundredTwipsEach);
        if (expected.isEmpty()) {
            QCOMPARE(r.outcome, StatusReading::Outcome::Unreadable);
        } else {
            QCOMPARE(r.server, expected);
        }
    }

    void longDemoName_data()
    {
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("expected"); // "" when unreadable
        QTest::newRow("fits") << "ClanA-ClanB-0001-de_dust2.dem"
                              << "Recording ClanA-ClanB-0001-de_dust2.dem";
        QTest::newRow("shortened after the second dash")
            << "ClanAAAAAAAAAAAAAAAA-ClanBBBBBBBBBBBBBBBBBB-0001-de_dust2.dem"
            << "Recording ClanAAAAAAAAAAAAAAAA-ClanBBBBBBBBBBBBBBBBBB-...-.dem";
        QTest::newRow("fewer than two dashes") << QString(50, u'a') + "-x.dem"
                                               << "";
    }
    void longDemoName()
    {
        QFETCH(QString, demo);
        QFETCH(QString, expected);
        SpectatorWatch watch;
        const StatusReading r = readStatusReport(QString(example(true)).replace("ClanA-ClanB-0001.dem", demo),
                                                 watch, CountdownMode::None, hundredTwipsEach);
        QVERIFY(r.showDemoPage); // also when the shortening fails
        if (expected.isEmpty()) {
            QCOMPARE(r.outcome, StatusReading::Outcome::Unreadable);
        } else {
            QCOMPARE(r.demoText, expected);
        }
    }

    void countdownKeepsDemoLabel_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("kept");
        QTest::newRow("recording during stop countdown") << true << 2 << true;
        QTest::newRow("recording during start countdown") << true << 1 << false;
        QTest::newRow("not recording during start countdown") << false << 1 << true;
        QTest::newRow("not recording during stop countdown") << false << 2 << false;
    }
    void countdownKeepsDemoLabel()
    {
        QFETCH(bool, recording);
        QFETCH(int, mode);
        QFETCH(bool, kept);
        SpectatorWatch watch;
        const StatusReading r =
            readStatusReport(example(recording), watch, CountdownMode(mode), hundredTwipsEach);
        QCOMPARE(r.demo == StatusReading::Demo::Keep, kept);
        QCOMPARE(r.recording, recording);
        if (kept)
            QVERIFY(!r.showDemoPage);

        StatusPanel panel;
        panel.demo = QStringLiteral("Recording in 5 seconds...");
        panel.applyConnected(r, true);
        QCOMPARE(panel.demo == u"Recording in 5 seconds...", kept);
        QVERIFY(panel.stopNowEnabled); // recording, or a countdown that "Stop now" may cancel
    }

    // The delay as the report gives it, as a number for a countdown; the rounding is the countdown's.
    void delay_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<double>("seconds");
        QTest::newRow("whole") << "30" << 30.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("blanks inside") << "1 0" << 10.0;
        QTest::newRow("negative") << "-4" << -4.0;
        QTest::newRow("no number") << "nan" << 0.0;
        QTest::newRow("beyond 16 bits") << "1e9" << 1e9;
    }
    void delay()
    {
        QFETCH(QString, given);
        SpectatorWatch watch;
        const StatusReading r =
            readStatusReport(QString(example(false)).replace("Delay 30", "Delay " + given), watch,
                             CountdownMode::None, hundredTwipsEach);
        QCOMPARE(r.delay, given + QStringLiteral(" seconds"));
        QTEST(r.delaySeconds, "seconds");
    }
};

QTEST_GUILESS_MAIN(StatusReadingTest)
#include "status_reading_test.moc"
