// What the server and port fields keep while typing, after a change and when left, and what a paste puts in.

#include "fields/ConnectionFieldRules.h"

#include <QtTest>

using namespace spectrel;
using namespace spectrel::connection;

namespace {

// A server change as one line: "(kept)" when nothing happens, else the server text and, after " | ", what
// goes to the port.
QString describe(const std::optional<ServerChange>& change)
{
    if (!change)
        return QStringLiteral("(kept)");
    return change->port ? change->server + QStringLiteral(" | ") + *change->port : change->server;
}

} // namespace

class ConnectionFieldRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typing_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("port");
        QTest::newRow("Backspace") << 8 << true << true;
        QTest::newRow("Ctrl+C") << 3 << false << false;
        QTest::newRow("Ctrl+V") << 22 << false << false;
        QTest::newRow("Ctrl+X") << 24 << false << false;
        QTest::newRow("blank") << 32 << false << false;
        QTest::newRow(",") << 44 << false << false;
        QTest::newRow("-") << 45 << true << false;
        QTest::newRow("/") << 47 << true << false;
        QTest::newRow("0") << 48 << true << true;
        QTest::newRow("9") << 57 << true << true;
        QTest::newRow(":") << 58 << false << false;
        QTest::newRow("@") << 64 << false << false;
        QTest::newRow("A") << 65 << true << false;
        QTest::newRow("Z") << 90 << true << false;
        QTest::newRow("[") << 91 << false << false;
        QTest::newRow("_") << 95 << false << false;
        QTest::newRow("a") << 97 << true << false;
        QTest::newRow("z") << 122 << true << false;
        QTest::newRow("{") << 123 << false << false;
        QTest::newRow("e acute") << 233 << false << false;
    }
    void typing()
    {
        QFETCH(int, code);
        QFETCH(bool, server);
        QFETCH(bool, port);
        QCOMPARE(serverKeepsTyped(code), server);
        QCOMPARE(portKeepsTyped(code), port);
    }

    void serverChange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("address and port") << "10.0.0.1:999"
                                          << "10.0.0.1 | 999";
        QTest::newRow("a letter after the colon goes to the port") << "host:27o15"
                                                                   << "host | 27o15";
        QTest::newRow("second colon goes with the port") << "a.b:1:2"
                                                         << "a.b | 1:2";
        QTest::newRow("nothing after the colon") << "host:"
                                                 << "host | ";
        QTest::newRow("nothing before the colon") << ":27015"
                                                  << " | 27015";
        QTest::newRow("underscore empties") << "game_server.net"
                                            << "";
        QTest::newRow("blanks around are trimmed") << "  hltv.example.org  "
                                                   << "hltv.example.org";
        QTest::newRow("blank inside empties") << "a b"
                                              << "";
        QTest::newRow("tab is no blank") << "\thost"
                                         << "";
        QTest::newRow("letter outside ASCII") << QStringLiteral("h\u00e9.org") << "";
        QTest::newRow("letter outside the code page") << QStringLiteral("\u0436.ru") << "";
        QTest::newRow("blanks only: kept") << "   "
                                           << "(kept)";
        QTest::newRow("empty: kept") << ""
                                     << "(kept)";
        QTest::newRow("34 characters keep 33") << QString(34, u'a') << QString(33, u'a');
        QTest::newRow("only the first 33 are checked") << QString(33, u'a') + u'_' << QString(33, u'a');
        QTest::newRow("a colon beyond 33 is cut off")
            << QString(32, u'a') + QStringLiteral("b:80") << QString(32, u'a') + u'b';
        QTest::newRow("a colon at 33 leaves an empty port")
            << QString(32, u'a') + QStringLiteral(":80") << QString(32, u'a') + QStringLiteral(" | ");
    }
    void serverChange()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(describe(afterServerChange(text)), result);
    }

    void portChange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("digits") << "27015"
                                << "27015";
        QTest::newRow("five nines") << "99999"
                                    << "99999";
        QTest::newRow("six digits keep five") << "123456"
                                              << "12345";
        QTest::newRow("blanks around are trimmed") << " 27015 "
                                                   << "27015";
        QTest::newRow("a letter empties") << "27o15"
                                          << "";
        QTest::newRow("a colon empties") << "1:2"
                                         << "";
        QTest::newRow("a blank inside empties") << "27 15"
                                                << "";
        QTest::newRow("only the first five are checked") << "12345x"
                                                         << "12345";
        QTest::newRow("digits outside the code page") << QStringLiteral("\uff12\uff17") << "";
        QTest::newRow("blanks only: kept") << "  "
                                           << "(kept)";
    }
    void portChange()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(afterPortChange(text).value_or(QStringLiteral("(kept)")), result);
    }

    void leavingServer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("a..b") << "a..b" << true;
        QTest::newRow(".host") << ".host" << true;
        QTest::newRow("host-") << "host-" << true;
        QTest::newRow("/ab") << "/ab" << true;
        QTest::newRow("ab") << "ab" << true;
        QTest::newRow("x/-y") << "x/-y" << true;
        QTest::newRow("a-.b") << "a-.b" << true;
        QTest::newRow("a//b") << "a//b" << true;
        QTest::newRow("a.b") << "a.b" << false;
        QTest::newRow("10.0.0.1") << "10.0.0.1" << false;
        QTest::newRow("hl-tv.example/x") << "hl-tv.example/x" << false;
        QTest::newRow("blank counts as a character") << " ab" << false;
    }
    void leavingServer()
    {
        QFETCH(QString, text);
        QFETCH(bool, cleared);
        QCOMPARE(serverNeedsClearing(text), cleared);
    }

    void pasting_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("pasted");
        QTest::newRow("blanks around go") << "  10.0.0.1  " << kServerMaxLength << "10.0.0.1";
        QTest::newRow("control characters stay") << "\thost\r\n" << kServerMaxLength << "\thost\r\n";
        QTest::newRow("500 characters keep 33")
            << QString(500, u'x') << kPasswordMaxLength << QString(33, u'x');
        QTest::newRow("trimmed before the port's 5") << "   123456" << kPortMaxLength << "12345";
        QTest::newRow("blanks only") << "   " << kPortMaxLength << "";
    }
    void pasting()
    {
        QFETCH(QString, clipboard);
        QFETCH(int, limit);
        QFETCH(QString, pasted);
        QCOMPARE(pastedText(clipboard, limit), pasted);
    }
};

QTEST_APPLESS_MAIN(ConnectionFieldRulesTest)
#include "connection_field_rules_test.moc"
