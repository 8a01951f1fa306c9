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
QString example(bool recording)
{
    QString s = QStringLiteral("Total Slots 128, Spectators 3\n"
                               "Connected to Game Server 192.0.2.10, Delay 30\n"
                               "Server Name \"Cup Server\"\n"
                               "Game Time 00:12:00, Map \"de_dust2.bsp\", Players 11\n");
    if (recording)
        s += u"Recording to ClanA-ClanB-0001.dem, Length 60\n";
    return report(s);
}

} // namespace

class StatusReadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QFETCH(int, check);
        SpectatorWatch watch{asked != 0, qint16(before)};
        const StatusReading r = readStatusReport(report(lines), watch, CountdownMode::None, hundredTwipsEach);
        QCOMPARE(r.outcome, StatusReading::Outcome::Connected);
        QTEST(int(watch.count), "after");
        QCOMPARE(int(watch.check), check);
    }

    void announcements_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text"); // empty: nothing is said; none and many are recording_test's
        QTest::newRow("one") << 1 << "1 spectator is watching this match";
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
        QTest::addColumn<bool>("asked"); // for the spectator count
        QTest::addColumn<int>("outcome");
        const auto row = [](const char* name, const QString& text, StatusReading::Outcome outcome,
                            bool asked = true) { QTest::newRow(name) << text << asked << int(outcome); };
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
        // Reading the count cuts the report itself: what follows is read from after the count.
        const QString countFirst =
            report(QStringLiteral("Connected to Game Server 1.2.3.4:27015, Delay 30\nTotal Slots 32\n"
                                  "Server Name \"x\"\nGame Time 01:00, Map \"de_x.bsp\", Players 2\n"));
        row("count before the server, asked for", countFirst, Unreadable);
        row("count before the server, not asked for", countFirst, Connected, false);
    }
    void unreadableOrOffline()
    {
        QFETCH(QString, text);
        QFETCH(bool, asked);
        QFETCH(int, outcome);
        SpectatorWatch watch{asked, -1};
        QCOMPARE(int(readStatusReport(text, watch, CountdownMode::None, hundredTwipsEach).outcome), outcome);
    }

    // The example report with one text changed, and what the panel shows of it; "" when the report becomes
    // unreadable.
    void shownValues_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        const auto map = [](const char* name, const char* to, const char* shown) {
            QTest::newRow(name) << false << "de_dust2.bsp\", Players 11" << to << "map" << shown;
        };
        map("map without underscore unchanged", "crossfire.bsp\", Players 11", "crossfire / 10");
        map("one player", "de_dust2.bsp\", Players 1", "De_Dust2 / 0");
        map("no players", "de_dust2.bsp\", Players 0", "De_Dust2 / -1");
        map("three digits of players read as two", "de_dust2.bsp\", Players 123", "De_Dust2 / 11");
        map("short underscore map", "de_.bsp\", Players 5", "De_ / 4");
        // " (192.0.2.10)" is 13 characters; 53 characters fit.
        const auto server = [](const char* name, const QString& to, const QString& shown) {
            QTest::newRow(name) << false << "Cup Server" << to << "server" << shown;
        };
        server("server fits", QString(40, u'a'), QString(40, u'a') + " (192.0.2.10)");
        server("address goes first", QString(41, u'a'), QString(41, u'a'));
        server("server word by word", "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa",
               "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota");
        server("server too wide without blanks", QString(60, u'a'), "");
        const auto demo = [](const char* name, const QString& to, const QString& shown,
                             bool recording = true) {
            QTest::newRow(name) << recording << "ClanA-ClanB-0001.dem" << to << "demo" << shown;
        };
        demo("not recording", "", "(not recording)", false);
        demo("recording", "ClanA-ClanB-0001.dem", "Recording ClanA-ClanB-0001.dem");
        demo("demo fits", "ClanA-ClanB-0001-de_dust2.dem", "Recording ClanA-ClanB-0001-de_dust2.dem");
        demo("demo shortened after the second dash",
             "ClanAAAAAAAAAAAAAAAA-ClanBBBBBBBBBBBBBBBBBB-0001-de_dust2.dem",
             "Recording ClanAAAAAAAAAAAAAAAA-ClanBBBBBBBBBBBBBBBBBB-...-.dem");
        demo("long demo with fewer than two dashes", QString(50, u'a') + "-x.dem", "");
        // The delay as the report gives it, and as a number for a countdown (read as text_rules_test's
        // leadingNumber reads it); the rounding is the countdown's.
        const auto delay = [](const char* name, const char* given, const char* shown) {
            QTest::newRow(name) << false << "Delay 30"
                                << "Delay " + QString::fromLatin1(given) << "delay" << shown;
        };
        delay("delay with a fraction", "2.5", "2.5 seconds = 2.5");
        delay("blanks inside the delay", "1 0", "1 0 seconds = 10");
        delay("delay beyond 16 bits", "1e9", "1e9 seconds = 1e+09");
    }
    void shownValues()
    {
        QFETCH(bool, recording);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        SpectatorWatch watch;
        const StatusReading r = readStatusReport(example(recording).replace(from, to), watch,
                                                 CountdownMode::None, hundredTwipsEach);
        if (value == u"demo")
            QCOMPARE(r.showDemoPage, recording); // also when the shortening fails
        if (shown.isEmpty())
            QCOMPARE(r.outcome, StatusReading::Outcome::Unreadable);
        else if (value == u"map")
            QCOMPARE(r.map, shown);
        else if (value == u"server")
            QCOMPARE(r.server, shown);
        else if (value == u"demo")
            QCOMPARE(r.demoText, shown);
        else
            QCOMPARE(r.delay + " = " + QString::number(r.delaySeconds), shown);
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
        QCOMPARE(r.recording, recording);
        if (kept)
            QVERIFY(!r.showDemoPage);

        StatusPanel panel;
        panel.demo = QStringLiteral("Recording in 5 seconds...");
        panel.applyConnected(r, true);
        QCOMPARE(panel.demo == u"Recording in 5 seconds...", kept);
        QVERIFY(panel.stopNowEnabled); // recording, or a countdown that "Stop now" may cancel
    }
};

QTEST_GUILESS_MAIN(StatusReadingTest)
#include "status_reading_test.moc"
