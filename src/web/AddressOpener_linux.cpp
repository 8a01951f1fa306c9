#include "web/AddressOpener.h"

#include "core/Clock.h"
#include "core/Logging.h"

#include <QMetaObject>
#include <QPointer>

#include <cerrno>
#include <csignal>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace spectrel {

namespace {

constexpr int kWatchMs = 50;  // how often a launch is looked at until its outcome is known
constexpr int kReapMs = 1000; // and afterwards, while it still runs

// xdg-open started directly, not through QProcess: a launch that outlives the program (the browser it
// started in the foreground) must not be killed when the program ends.
pid_t startXdgOpen(const QString& address)
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Whatever this program blocks or catches, the launched program starts with every signal as new.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char program[] = "xdg-open";
    QByteArray argument = address.toLocal8Bit();
    char* arguments[] = {program, argument.data(), nullptr};
    pid_t pid = -1;
    const int failure = posix_spawnp(&pid, program, nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    return failure == 0 ? pid : -1;
}

// Each launch is watched until xdg-open ends: its exit status is the outcome, unless it is still running
// after a moment, which counts as a launch that worked. A launch that ends later is still reaped.
class XdgOpener : public AddressOpener {
public:
    explicit XdgOpener(Clock& clock) : m_clock(clock) {}

    void open(const QString& address, QObject* context, Outcome outcome) override
    {
        Launch launch{address, startXdgOpen(address), m_clock.nowMs(), context, std::move(outcome)};
        if (launch.pid < 0) {
            qCInfo(lcWeb) << "opening" << address << "failed: xdg-open cannot be started";
            report(launch, false);
            return;
        }
        qCInfo(lcWeb) << "opening" << address;
        m_launches.push_back(std::move(launch));
        if (!m_timer) {
            m_timer = m_clock.createTimer();
            QObject::connect(m_timer.get(), &Timer::timeout, [this] { watch(); });
        }
        m_timer->setInterval(kWatchMs);
        m_timer->start();
    }

private:
    struct Launch {
        QString address;
        pid_t pid;
        qint64 startedMs;
        QPointer<QObject> context;
        Outcome outcome;
        bool settled = false;
    };

    static void report(Launch& launch, bool launched)
    {
        launch.settled = true;
        if (launch.context)
            QMetaObject::invokeMethod(
                launch.context, [outcome = std::move(launch.outcome), launched] { outcome(launched); },
                Qt::QueuedConnection);
    }

    void watch()
    {
        bool unsettled = false;
        for (auto it = m_launches.begin(); it != m_launches.end();) {
            int status = 0;
            const pid_t ended = ::waitpid(it->pid, &status, WNOHANG);
            if (ended == 0 || (ended < 0 && errno == EINTR)) {
                if (!it->settled && m_clock.nowMs() - it->startedMs >= kLaunchSettleMs)
                    report(*it, true);
                unsettled = unsettled || !it->settled;
                ++it;
                continue;
            }
            // Reaped elsewhere (ended < 0), nothing says that the launch failed.
            const bool launched = ended < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
            if (!launched)
                qCInfo(lcWeb) << "opening" << it->address << "failed: xdg-open ended with status"
                              << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            if (!it->settled)
                report(*it, launched);
            it = m_launches.erase(it);
        }
        if (m_launches.empty()) {
            m_timer->stop();
        } else if (const int interval = unsettled ? kWatchMs : kReapMs; interval != m_timer->interval()) {
            m_timer->setInterval(interval);
            m_timer->start();
        }
    }

    Clock& m_clock;
    std::vector<Launch> m_launches;
    std::unique_ptr<Timer> m_timer;
};

} // namespace

AddressOpener& desktopAddressOpener()
{
    static XdgOpener opener(realClock());
    return opener;
}

} // namespace spectrel
