#pragma once

#include "core/Clock.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace spectrel {

// A clock that moves only when the test says so: advance(30000) fires every tick due in those 30 seconds,
// in order of due time, each seeing the clock at its own due time. Handlers may wait (a request's nested
// event loop) and the test may advance again from inside such a wait.
class ManualClock : public Clock {
public:
    qint64 nowMs() const override { return m_now; }

    std::unique_ptr<Timer> createTimer() override
    {
        auto timer = std::make_unique<ManualTimer>(*this);
        m_timers.push_back(timer.get());
        return timer;
    }

    void advance(qint64 ms)
    {
        const qint64 target = m_now + ms;
        for (;;) {
            ManualTimer* next = nullptr;
            for (ManualTimer* t : m_timers) {
                if (t->m_active && t->m_due <= target && (!next || t->m_due < next->m_due))
                    next = t;
            }
            if (!next)
                break;
            m_now = std::max(m_now, next->m_due);
            next->fire();
        }
        m_now = std::max(m_now, target);
    }

private:
    class ManualTimer : public Timer {
    public:
        explicit ManualTimer(ManualClock& clock) : m_clock(clock) {}
        ~ManualTimer() override
        {
            auto& all = m_clock.m_timers;
            all.erase(std::remove(all.begin(), all.end(), this), all.end());
        }
        void start() override { startFrom(m_clock.m_now); }
        void startFrom(qint64 originMs) override
        {
            m_active = true;
            m_due = originMs + interval();
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }

        void fire()
        {
            if (isSingleShot())
                m_active = false;
            else
                m_due += interval();
            Q_EMIT timeout();
        }

        ManualClock& m_clock;
        bool m_active = false;
        qint64 m_due = 0;
        friend class ManualClock;
    };

    qint64 m_now = 0;
    std::vector<ManualTimer*> m_timers;
};

} // namespace spectrel
