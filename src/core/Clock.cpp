#include "core/Clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace spectrel {

namespace {

class RealClock : public Clock {
public:
    RealClock() { m_elapsed.start(); }
    qint64 nowMs() const override { return m_elapsed.elapsed(); }
    std::unique_ptr<Timer> createTimer() override;

private:
    QElapsedTimer m_elapsed;
};

// One precise single-shot QTimer, aimed afresh at each due time.
class RealTimer : public Timer {
public:
    explicit RealTimer(const RealClock& clock) : m_clock(clock)
    {
        m_shot.setSingleShot(true);
        m_shot.setTimerType(Qt::PreciseTimer);
        connect(&m_shot, &QTimer::timeout, this, &RealTimer::fire);
    }

    void start() override { startFrom(m_clock.nowMs()); }
    void startFrom(qint64 originMs) override
    {
        m_startedAt = originMs;
        m_ticks = 0;
        aim();
    }
    void stop() override { m_shot.stop(); }
    bool isActive() const override { return m_shot.isActive(); }

private:
    void aim()
    {
        const qint64 due = m_startedAt + qint64(m_ticks + 1) * interval();
        m_shot.start(int(qMax<qint64>(0, due - m_clock.nowMs())));
    }

    void fire()
    {
        ++m_ticks;
        if (!isSingleShot())
            aim(); // before the handler, which may stop or restart the timer
        Q_EMIT timeout();
    }

    const RealClock& m_clock;
    QTimer m_shot;
    qint64 m_startedAt = 0;
    qint64 m_ticks = 0;
};

std::unique_ptr<Timer> RealClock::createTimer()
{
    return std::make_unique<RealTimer>(*this);
}

} // namespace

Clock& realClock()
{
    static RealClock clock;
    return clock;
}

} // namespace spectrel
