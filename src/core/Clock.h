#pragma once

#include <QObject>

#include <memory>

namespace spectrel {

// A timer made by a Clock. A repeating timer's ticks are due at start + n × interval, each scheduled from
// the start and not from the tick before, so a busy moment delays one tick but never the ones after it
// (a tick that is already due when the one before ends follows at once).
class Timer : public QObject {
    Q_OBJECT
public:
    ~Timer() override = default;

    void setInterval(int ms) { m_interval = ms; }
    int interval() const { return m_interval; }
    void setSingleShot(bool singleShot) { m_singleShot = singleShot; }
    bool isSingleShot() const { return m_singleShot; }

    // (Re)starts from now: the first tick is due one interval later.
    virtual void start() = 0;
    // (Re)starts as if it had been started at `originMs` on its clock's scale (a moment just past, such as
    // the press of a button before the status query that preceded the start).
    virtual void startFrom(qint64 originMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void timeout();

protected:
    Timer() = default;

private:
    int m_interval = 0;
    bool m_singleShot = false;
};

// Where every timer of the program comes from, and what time it is. The program uses the real clock; tests
// use a manual one that jumps 30 seconds at once.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale.
    virtual qint64 nowMs() const = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

// Real time, with timers precise to the millisecond.
Clock& realClock();

} // namespace spectrel
