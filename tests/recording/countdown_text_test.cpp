// The delay a countdown counts down, as read from the delay label.

#include "recording/CountdownText.h"
#include "text/RuntimeFailure.h"

#include <QtTest>

using namespace spectrel;

class CountdownTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void delaySeconds_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("failure");
        QTest::newRow("whole") << "30 seconds" << 30 << 0;
        QTest::newRow("half rounds down to even") << "2.5 seconds" << 2 << 0;
        QTest::newRow("half rounds up to even") << "3.5 seconds" << 4 << 0;
        QTest::newRow("blanks inside are ignored") << "1 0 seconds" << 10 << 0;
        QTest::newRow("case of the unit") << "12 SECONDS" << 12 << 0;
        QTest::newRow("no number") << "nan seconds" << 0 << 0;
        QTest::newRow("negative stays negative") << "-4 seconds" << -4 << 0;
        QTest::newRow("beyond 16 bits") << "1e9 seconds" << 0 << int(RuntimeFailure::Overflow);
        QTest::newRow("no unit") << "30" << 0 << int(RuntimeFailure::InvalidCall);
    }
    void delaySeconds()
    {
        QFETCH(QString, label);
        int got = 0;
        int failed = 0;
        try {
            got = countdown::delaySeconds(label);
        } catch (const RuntimeFailure& f) {
            failed = f.number();
        }
        QTEST(failed, "failure");
        QTEST(got, "seconds");
    }
};

QTEST_GUILESS_MAIN(CountdownTextTest)
#include "countdown_text_test.moc"
