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

// One row of a table of texts.
void row(const char* name, const QString& text, const QString& result)
{
    QTest::newRow(name) << text << result;
}

void textColumns()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
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
        const std::tuple<const char*, int, bool, bool> rows[] = {
            {"Backspace", 8, true, true}, {"Ctrl+C", 3, false, false},    {"Ctrl+V", 22, false, false},
            {"Ctrl+X", 24, false, false}, {"blank", 32, false, false},    {",", 44, false, false},
            {"-", 45, true, false},       {"/", 47, true, false},         {"0", 48, true, true},
            {"9", 57, true, true},        {":", 58, false, false},        {"@", 64, false, false},
            {"A", 65, true, false},       {"Z", 90, true, false},         {"[", 91, false, false},
            {"`", 96, false, false},      {"a", 97, true, false},         {"z", 122, true, false},
            {"{", 123, false, false},     {"e acute", 233, false, false},
        };
        for (const auto& [name, code, server, port] : rows)
            QTest::newRow(name) << code << server << port;
    }
    void typing()
    {
        QFETCH(int, code);
        QTEST(serverKeepsTyped(code), "server");
        QTEST(portKeepsTyped(code), "port");
    }

    // The server and, after " | ", what goes to the port; "(kept)" when nothing happens.
    void serverChange_data()
    {
        textColumns();
        row("address and port", "10.0.0.1:999", "10.0.0.1 | 999");
        row("a letter after the colon goes to the port", "host:27o15", "host | 27o15");
        row("second colon goes with the port", "a.b:1:2", "a.b | 1:2");
        row("nothing after the colon", "host:", "host | ");
        row("nothing before the colon", ":27015", " | 27015");
        row("underscore empties", "game_server.net", "");
        row("blanks around are trimmed", "  hltv.example.org  ", "hltv.example.org");
        row("blank inside empties", "a b", "");
        row("tab is no blank", "\thost", "");
        row("letter outside the code page", QStringLiteral("\u0436.ru"), "");
        row("blanks only: kept", "   ", "(kept)");
        row("only the first 33 are checked", QString(33, u'a') + u'_', QString(33, u'a'));
        row("a colon beyond 33 is cut off", QString(32, u'a') + QStringLiteral("b:80"),
            QString(32, u'a') + u'b');
        row("a colon at 33 leaves an empty port", QString(32, u'a') + QStringLiteral(":80"),
            QString(32, u'a') + QStringLiteral(" | "));
    }
    void serverChange()
    {
        QFETCH(QString, text);
        QTEST(describe(afterServerChange(text)), "result");
    }

    void portChange_data()
    {
        textColumns();
        row("digits", "27015", "27015");
        row("five nines", "99999", "99999");
        row("six digits keep five", "123456", "12345");
        row("blanks around are trimmed", " 27015 ", "27015");
        row("a letter empties", "27o15", "");
        row("a colon empties", "1:2", "");
        row("a blank inside empties", "27 15", "");
        row("only the first five are checked", "12345x", "12345");
        row("digits outside the code page", QStringLiteral("\uff12\uff17"), "");
        row("blanks only: kept", "  ", "(kept)");
    }
    void portChange()
    {
        QFETCH(QString, text);
        QTEST(afterPortChange(text).value_or(QStringLiteral("(kept)")), "result");
    }

    void leavingServer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cleared");
        for (const char* text : {"a..b", ".host", "host-", "/ab", "ab", "x/-y", "a-.b", "a//b"})
            QTest::newRow(text) << QString::fromLatin1(text) << true;
        for (const char* text : {"a.b", "10.0.0.1", "hl-tv.example/x", " ab"})
            QTest::newRow(text) << QString::fromLatin1(text) << false;
    }
    void leavingServer()
    {
        QFETCH(QString, text);
        QTEST(serverNeedsClearing(text), "cleared");
    }

    void pasting_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("pasted");
        QTest::newRow("blanks around go")
            << QStringLiteral("  10.0.0.1  ") << 33 << QStringLiteral("10.0.0.1");
        QTest::newRow("control characters stay")
            << QStringLiteral("\thost\r\n") << 33 << QStringLiteral("\thost\r\n");
        QTest::newRow("500 characters keep 33") << QString(500, u'x') << 33 << QString(33, u'x');
        QTest::newRow("trimmed before the 5") << QStringLiteral("   123456") << 5 << QStringLiteral("12345");
    }
    void pasting()
    {
        QFETCH(QString, clipboard);
        QFETCH(int, limit);
        QTEST(pastedText(clipboard, limit), "pasted");
    }
};

QTEST_APPLESS_MAIN(ConnectionFieldRulesTest)
#include "connection_field_rules_test.moc"
