#pragma once

#include "link/StatusReading.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace spectrel {

class Clock;
class ErrorTrap;
class ProxySession;
class Timer;

// The automatic refresh: while on, a fresh status every 30 seconds; while it also announces, a spectator
// count that changed since the last report is told to the spectators. A refresh that fails switches it off,
// and `stoppedItself` tells the window to clear its box.
class AutoRefresh : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 30000;

    AutoRefresh(ProxySession& session, Clock& clock, ErrorTrap& trap, QObject* parent = nullptr);
    ~AutoRefresh() override;

    // Switching on (with announcing) forgets the count, so the first report's count is announced.
    void setOn(bool on);
    bool isOn() const;
    // Whether changed counts are announced (they are only while the refresh is on). Switching it on forgets
    // the count likewise.
    void setAnnouncing(bool announcing);

Q_SIGNALS:
    void stoppedItself();

private:
    void Timer30_Timer();

    ProxySession& m_session;
    std::unique_ptr<Timer> m_timer30;
    bool m_announcing = false;
    SpectatorWatch m_watch; // the count last read, which the status reading compares and updates
};

// What the automatic refresh tells the spectators for a count: nothing for a negative one.
std::optional<QString> spectatorAnnouncement(std::int16_t count);

} // namespace spectrel
