// The real clock's repeating timer against real time, once: ticks are due at origin + n × interval, so a
// start in the past catches up at once, a busy tick delays only itself, and none comes early or is lost.

#include "core/Clock.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using namespace spectrel;

class ClockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ticksKeepTheirScheduleFromTheOrigin()
    {
        constexpr int kInterval = 50;
        constexpr int kTicks = 20;
        Clock& clock = realClock();
        const std::unique_ptr<Timer> timer = clock.createTimer();
        timer->setInterval(kInterval);
        QList<qint64> at;                          // each tick's time after the origin
        const qint64 origin = clock.nowMs() - 120; // two ticks are already due
        QObject::connect(timer.get(), &Timer::timeout, [&] {
            at << clock.nowMs() - origin;
            if (at.size() == 4)
                QThread::msleep(300); // a busy tick: six more fall due meanwhile
        });
        timer->startFrom(origin);
        QTRY_VERIFY_WITH_TIMEOUT(at.size() >= kTicks, 5000);
        timer->stop();
        for (int n = 1; n <= at.size(); ++n)
            QVERIFY2(at[n - 1] >= n * kInterval,
                     qPrintable(QStringLiteral("tick %1 came at %2 ms").arg(n).arg(at[n - 1])));
        // Scheduled from the origin, the last tick is due at kTicks × interval; a timer that counts each
        // interval from the tick before would be the busy spell late by now.
        QVERIFY2(at[kTicks - 1] < kTicks * kInterval + 200,
                 qPrintable(QStringLiteral("tick %1 came at %2 ms").arg(kTicks).arg(at[kTicks - 1])));
    }
};

QTEST_GUILESS_MAIN(ClockTest)
#include "clock_test.moc"
