#include "link/RequestScheduler.h"

#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "core/Logging.h"
#include "text/RuntimeFailure.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace spectrel {

// A request's time-out, kept for the next request once this one is over.
struct RequestScheduler::Waiter {
    std::unique_ptr<Timer> timeout;
    Request* owner = nullptr;
};

struct RequestScheduler::Request {
    QString command;
    Outcome done = Outcome::Failed;
    PendingCommand slot;
    Waiter* waiter = nullptr;
    bool finished = false;

    bool ended() const
    {
        const std::optional<Outcome> o = slot.outcome();
        return o && (*o == done || *o == Outcome::Failed);
    }
    Timer& timeout() const { return *waiter->timeout; }
};

RequestScheduler::RequestScheduler(ErrorTrap& trap, Clock& clock, std::function<void()> askChallenge,
                                   QObject* parent)
    : QObject(parent), m_trap(trap), m_clock(clock), m_askChallenge(std::move(askChallenge))
{
}

RequestScheduler::~RequestScheduler()
{
    failAll();
}

RequestScheduler::ReplyHandling::ReplyHandling(RequestScheduler& scheduler)
    : m_s(scheduler), m_savedLoops(scheduler.m_handlerLevel.loops),
      m_savedWaits(scheduler.m_handlerLevel.waits)
{
    ++m_s.m_handlerDepth;
    m_s.m_handlerLevel = m_s.level();
}

RequestScheduler::ReplyHandling::~ReplyHandling()
{
    --m_s.m_handlerDepth;
    m_s.m_handlerLevel = {m_savedLoops, m_savedWaits};
}

RequestScheduler::Level RequestScheduler::level() const
{
    return {thread()->loopLevel(), m_waits};
}

bool RequestScheduler::insideHandlerItself() const
{
    // Only a request that a reply handler starts itself, not one started by some event that a wait inside the
    // handler lets through: those run one event-loop level deeper.
    return m_handlerDepth > 0 && level() == m_handlerLevel;
}

PendingCommand RequestScheduler::pending() const
{
    return m_active.empty() ? m_idle : m_active.back()->slot;
}

void RequestScheduler::write(Outcome outcome)
{
    if (m_active.empty()) {
        m_idle = PendingCommand::endedWith(outcome);
        return;
    }
    m_active.back()->slot = PendingCommand::endedWith(outcome);
    // The slot is judged once the event that wrote it is over, as a waiting request sees it: a report
    // without a game server goes offline (a failure) and then succeeds within one reply. A reply handler
    // judges it itself when it ends; other writers leave it to a posted call.
    if (!insideHandlerItself() && !m_settlePosted) {
        m_settlePosted = true;
        QTimer::singleShot(0, this, [this] {
            m_settlePosted = false;
            settle();
        });
    }
}

void RequestScheduler::settle()
{
    while (!m_active.empty() && m_active.back()->ended())
        finish(*m_active.back());
}

RequestScheduler::Waiter& RequestScheduler::takeWaiter(Request& r)
{
    if (m_freeWaiters.empty()) {
        auto made = std::make_unique<Waiter>();
        Waiter* w = made.get();
        w->timeout = m_clock.createTimer();
        w->timeout->setSingleShot(true);
        w->timeout->setInterval(kTimeoutMs);
        connect(w->timeout.get(), &Timer::timeout, this, [this, w] {
            m_trap.run([this, w] {
                if (w->owner)
                    replyTimeout(*w->owner);
            });
        });
        m_waiters.push_back(std::move(made));
        m_freeWaiters.push_back(w);
    }
    Waiter& w = *m_freeWaiters.back();
    m_freeWaiters.pop_back();
    w.owner = &r;
    r.waiter = &w;
    return w;
}

bool RequestScheduler::run(const QString& command, Outcome done, const std::function<void()>& beforeWait)
{
    Request r;
    r.command = command;
    r.done = done;
    Waiter& waiter = takeWaiter(r);
    struct GiveBack {
        RequestScheduler* self;
        Waiter& waiter;
        ~GiveBack()
        {
            waiter.timeout->stop();
            waiter.owner = nullptr;
            self->m_freeWaiters.push_back(&waiter);
        }
    } giveBack{this, waiter};

    try {
        if ((m_active.empty() && m_queue.empty()) || insideHandlerItself()) {
            start(r);
        } else {
            qCDebug(lcLink) << "queued" << command << "behind" << waiting() << "request(s)";
            m_queue.push_back(&r);
        }
        settle();
        if (!r.finished)
            beforeWait();
        // Events are processed here as in an event loop of its own, without the wake-up that leaving one
        // costs: every event that ends the wait is one the processing returns after.
        ++m_waits;
        struct Unwind {
            int& waits;
            ~Unwind() { --waits; }
        } unwind{m_waits};
        while (!r.finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } catch (...) {
        // A failure inside the send goes to the caller's trap; the request must not stay behind.
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), &r), m_queue.end());
        if (!r.finished) {
            r.slot = PendingCommand::endedWith(Outcome::Failed);
            finish(r);
        }
        throw;
    }
    const bool ok = r.slot.outcome() != Outcome::Failed;
    qCDebug(lcLink) << command << (ok ? "succeeded" : "failed");
    return ok;
}

void RequestScheduler::start(Request& r)
{
    if (!m_active.empty())
        m_active.back()->timeout().stop(); // the handler of that reply runs us; its own time-out waits for us
    m_active.push_back(&r);
    r.timeout().start();
    r.slot = PendingCommand::waitingFor(r.command);
    m_askChallenge();
}

void RequestScheduler::finish(Request& r)
{
    if (r.finished)
        return;
    r.finished = true;
    r.timeout().stop();
    const auto at = std::find(m_active.begin(), m_active.end(), &r);
    const bool wasOnTop = at != m_active.end() && at + 1 == m_active.end();
    if (at != m_active.end())
        m_active.erase(at);

    if (wasOnTop && !m_active.empty()) {
        // A nested request leaves its outcome in the slot of the request whose reply handler started it.
        Request& parent = *m_active.back();
        parent.slot = r.slot;
        if (parent.ended())
            finish(parent);
        else if (!parent.timeout().isActive())
            parent.timeout().start();
        return;
    }
    if (m_active.empty()) {
        m_idle = r.slot;
        if (!m_queue.empty() && !m_startPosted) {
            m_startPosted = true;
            QTimer::singleShot(0, this, [this] { startNextQueued(); });
        }
    }
}

void RequestScheduler::startNextQueued()
{
    m_startPosted = false;
    if (!m_active.empty() || m_queue.empty())
        return;
    Request& r = *m_queue.front();
    m_queue.pop_front();
    try {
        start(r);
        settle();
    } catch (const RuntimeFailure& failure) {
        r.slot = PendingCommand::endedWith(Outcome::Failed);
        finish(r);
        m_trap.fail(failure);
    }
}

void RequestScheduler::failAll()
{
    const PendingCommand failed = PendingCommand::endedWith(Outcome::Failed);
    while (!m_queue.empty()) {
        Request& r = *m_queue.front();
        m_queue.pop_front();
        r.slot = failed;
        r.finished = true;
    }
    while (!m_active.empty()) {
        Request& r = *m_active.back();
        m_active.pop_back();
        r.slot = failed;
        r.finished = true;
        r.timeout().stop();
    }
    m_idle = failed;
}

void RequestScheduler::replyTimeout(Request& r)
{
    qCDebug(lcLink) << r.command << "timed out";
    if (r.finished)
        return;
    r.slot = PendingCommand::endedWith(Outcome::Failed);
    finish(r);
}

} // namespace spectrel
