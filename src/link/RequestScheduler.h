#pragma once

#include "link/RequestOutcome.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace spectrel {

class Clock;
class ErrorTrap;
class Timer;

// When the link's requests run, and how each ends.
//
// A request asks for a challenge and then waits, processing events as a nested event loop would, until its
// outcome is written or its own 2-second time-out passes. Requests never share an outcome or a time-out: one
// started while another waits (a timer tick, a hotkey) is queued until the link is free; one started by a
// reply handler itself (the status and say that follow "Recording initialized.") runs at once, nested in that
// handler, and hands its outcome to the request whose reply is being handled, as the single exchange slot
// always did. The waits and time-outs are kept from one request to the next.
class RequestScheduler : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 2000; // from the challenge request on

    // `askChallenge` sends the challenge request of the request that starts; it may throw a RuntimeFailure.
    RequestScheduler(ErrorTrap& trap, Clock& clock, std::function<void()> askChallenge,
                     QObject* parent = nullptr);
    ~RequestScheduler() override;

    // Runs one request until it ends; true unless it ended with Outcome::Failed. `beforeWait` runs once the
    // request has started or been queued, just before it waits.
    bool run(const QString& command, Outcome done, const std::function<void()>& beforeWait);

    // The slot of the request whose replies are being handled, or the last outcome when none waits.
    PendingCommand pending() const;
    // Writes `outcome` into that slot. A request whose own outcome (or a failure) lands in its slot ends once
    // the event that wrote it is over.
    void write(Outcome outcome);
    // Ends the requests whose slot holds their outcome or a failure, from the top of the stack.
    void settle();
    // Ends every request, waiting or queued, with a failure.
    void failAll();
    // How many requests wait right now, running or queued.
    int waiting() const { return int(m_active.size() + m_queue.size()); }

    // Marks the handling of one reply: requests that the handler starts itself run at once, nested; writes
    // inside it are judged when it ends (by its call of settle()).
    class ReplyHandling {
    public:
        explicit ReplyHandling(RequestScheduler& scheduler);
        ~ReplyHandling();
        ReplyHandling(const ReplyHandling&) = delete;
        ReplyHandling& operator=(const ReplyHandling&) = delete;

    private:
        RequestScheduler& m_s;
        int m_savedLoops;
        int m_savedWaits;
    };

private:
    struct Request;
    struct Waiter;
    // How deep event processing is nested: event loops, and the waits of requests.
    struct Level {
        int loops = -1;
        int waits = -1;
        bool operator==(const Level&) const = default;
    };
    Level level() const;
    bool insideHandlerItself() const;

    Waiter& takeWaiter(Request& r);
    void start(Request& r);
    void finish(Request& r);
    void startNextQueued();
    void replyTimeout(Request& r);

    ErrorTrap& m_trap;
    Clock& m_clock;
    std::function<void()> m_askChallenge;

    std::vector<Request*> m_active; // back() receives the replies; those below wait for their handlers
    std::deque<Request*> m_queue;
    PendingCommand m_idle; // the slot while no request waits
    bool m_startPosted = false;
    bool m_settlePosted = false;
    std::vector<std::unique_ptr<Waiter>> m_waiters;
    std::vector<Waiter*> m_freeWaiters;
    int m_waits = 0; // requests waiting on the stack, each a level of event processing like a nested loop
    int m_handlerDepth = 0;
    Level m_handlerLevel;
};

} // namespace spectrel
