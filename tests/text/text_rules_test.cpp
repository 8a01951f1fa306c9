#include "text/CodePage.h"
#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

#include <QtTest>

using namespace spectrel;
using namespace spectrel::text;

class TextRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void find_data()
    {
        QTest::addColumn<QString>("haystack");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("expected");
        const struct {
            const char *name, *haystack, *needle;
            int start, expected;
        } rows[] = {{"first, 1-based", "abcabc", "bc", 1, 2},
                    {"from a later start", "abcabc", "bc", 3, 5},
                    {"letter case ignored", "--- hltv STATUS ---", "--- HLTV Status ---", 1, 1},
                    {"first letter in the other case, after a false start", "a-Ab", "AB", 1, 3},
                    {"letter case ignored beyond ASCII", "gro\u00dfe \u00c4RA", "\u00e4ra", 1, 7},
                    {"a sign that folds onto an ASCII letter", "5 \u212Aelvin", "kelvin", 1, 3},
                    {"the multiplication sign is no capital", "\u00f7", "\u00d7", 1, 0},
                    {"needle longer than the rest", "abcab", "abc", 4, 0},
                    {"absent", "abc", "x", 1, 0},
                    {"start past the end", "abc", "c", 4, 0}};
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.haystack << r.needle << r.start << r.expected;
    }
    void find()
    {
        QFETCH(QString, haystack);
        QFETCH(QString, needle);
        QFETCH(int, start);
        QTEST(text::find(haystack, needle, start), "expected");
    }

    void cuts_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("s");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<QString>("expected"); // "FAIL" for a run-time failure
        const struct {
            const char *op, *s;
            int a, b;
            const char* expected;
        } rows[] = {{"left", "abcdef", 2, 0, "ab"},   {"left", "abcdef", 0, 0, ""},
                    {"left", "abc", 10, 0, "abc"},    {"left", "abc", -1, 0, "FAIL"},
                    {"from", "abcdef", 3, 0, "cdef"}, {"from", "abc", 4, 0, ""},
                    {"from", "abc", 0, 0, "FAIL"},    {"mid", "abcdef", 2, 3, "bcd"},
                    {"mid", "abcdef", 2, -1, "FAIL"}};
        for (const auto& r : rows)
            QTest::addRow("%s(\"%s\", %d, %d)", r.op, r.s, r.a, r.b)
                << r.op << r.s << r.a << r.b << r.expected;
    }
    void cuts()
    {
        QFETCH(QString, op);
        QFETCH(QString, s);
        QFETCH(int, a);
        QFETCH(int, b);
        QString got;
        try {
            got = op == u"left" ? left(s, a) : op == u"from" ? from(s, a) : mid(s, a, b);
        } catch (const RuntimeFailure& f) {
            QCOMPARE(f.number(), int(RuntimeFailure::InvalidCall));
            got = QStringLiteral("FAIL");
        }
        QTEST(got, "expected");
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("s");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "30" << 30.0;
        QTest::newRow("blanks skipped") << "  30 seconds" << 30.0;
        QTest::newRow("blanks inside skipped") << "1 2" << 12.0;
        QTest::newRow("tab and line feed") << "\t\n7" << 7.0;
        QTest::newRow("stops at a letter") << "12abc" << 12.0;
        QTest::newRow("decimal") << "2.5" << 2.5;
        QTest::newRow("sign") << "-3" << -3.0;
        QTest::newRow("exponent") << "1e3x" << 1000.0;
        QTest::newRow("e without digits ends the number") << "1e" << 1.0;
        QTest::newRow("nothing gives zero") << "abc" << 0.0;
        QTest::newRow("empty gives zero") << "" << 0.0;
        QTest::newRow("lone sign gives zero") << "-" << 0.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("fifteen digits, read whole") << "+123456789012345" << 123456789012345.0;
        QTest::newRow("beyond fifteen digits") << "12345678901234567890" << 12345678901234567890.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, s);
        QTEST(text::leadingNumber(s), "expected");
    }

    // The status report's numbers: leading blanks only, nothing skipped inside.
    void statusNumber_data()
    {
        QTest::addColumn<QString>("s");
        QTest::addColumn<double>("expected");
        QTest::newRow("leading blanks skipped") << "  30 (max 4)" << 30.0;
        QTest::newRow("a blank inside ends it") << "1 2" << 1.0;
        QTest::newRow("a tab is no blank") << "\t7" << 0.0;
        QTest::newRow("stops at a letter") << "12abc" << 12.0;
    }
    void statusNumber()
    {
        QFETCH(QString, s);
        QTEST(text::statusNumber(s), "expected");
    }

    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected"); // -99999 for an overflow
        QTest::newRow("2.5 to even") << 2.5 << 2;
        QTest::newRow("3.5 to even") << 3.5 << 4;
        QTest::newRow("-2.5 to even") << -2.5 << -2;
        QTest::newRow("2.6 up") << 2.6 << 3;
        QTest::newRow("largest") << 32767.0 << 32767;
        QTest::newRow("32767.5 overflows") << 32767.5 << -99999;
        QTest::newRow("smallest") << -32768.0 << -32768;
        QTest::newRow("1e9 overflows") << 1e9 << -99999;
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        try {
            QCOMPARE(int(roundToInt16(value)), expected);
        } catch (const RuntimeFailure& f) {
            QCOMPARE(expected, -99999);
            QCOMPARE(f.number(), int(RuntimeFailure::Overflow));
        }
    }

    void byteRounding()
    {
        QCOMPARE(int(roundToByte(255.4)), 255);
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, roundToByte(255.5));
        QVERIFY_THROWS_EXCEPTION(RuntimeFailure, roundToByte(-0.6));
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("as");
        QTest::addColumn<QString>("expected"); // the value as text, or the failure number
        const char* rows[][3] = {
            {"-1", "int16", "-1"},       {" 5 ", "int16", "5"},    {"abc", "int16", "13"},
            {"5x", "int16", "13"},       {"", "int16", "13"},      {"1e9", "int16", "6"},
            {"27020", "int32", "27020"}, {"27o15", "int32", "13"}, {"1234.5", "single", "1234.5"},
            {"left", "single", "13"},    {"True", "boolean", "1"}, {"fALSE", "boolean", "0"},
            {"-1", "boolean", "1"},      {"yes", "boolean", "13"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s \"%s\"", r[1], r[0]) << r[0] << r[1] << r[2];
    }
    void conversions()
    {
        QFETCH(QString, s);
        QFETCH(QString, as);
        QString got;
        try {
            if (as == u"int16")
                got = QString::number(toInt16(s));
            else if (as == u"int32")
                got = QString::number(toInt32(s));
            else if (as == u"single")
                got = singleText(toSingle(s));
            else
                got = QString::number(int(toBoolean(s)));
        } catch (const RuntimeFailure& f) {
            got = QString::number(f.number());
        }
        QTEST(got, "expected");
    }

    void codePageRoundTrip()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(toCodePage(fromCodePage(all)), all);
        QCOMPARE(fromCodePage(QByteArray("\x80\xE9")), QStringLiteral("\u20AC\u00E9"));
        QCOMPARE(toCodePage(QStringLiteral("a\u4E2D")), QByteArray("a?"));
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "text_rules_test.moc"
