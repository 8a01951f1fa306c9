#include "link/AutoRefresh.h"

#include "core/Clock.h"
#include "core/ErrorTrap.h"
#include "link/ProxySession.h"

namespace spectrel {

AutoRefresh::AutoRefresh(ProxySession& session, Clock& clock, ErrorTrap& trap, QObject* parent)
    : QObject(parent), m_session(session), m_timer30(clock.createTimer())
{
    m_timer30->setInterval(kIntervalMs);
    connect(m_timer30.get(), &Timer::timeout, this, [this, &trap] { trap.run([this] { Timer30_Timer(); }); });
    m_session.setSpectatorWatch(&m_watch);
}

AutoRefresh::~AutoRefresh()
{
    m_session.setSpectatorWatch(nullptr);
}

void AutoRefresh::setOn(bool on)
{
    if (!on) {
        m_timer30->stop();
        return;
    }
    m_timer30->start();
    if (m_announcing)
        m_watch.count = -1;
}

bool AutoRefresh::isOn() const
{
    return m_timer30->isActive();
}

void AutoRefresh::setAnnouncing(bool announcing)
{
    m_announcing = announcing;
    if (announcing)
        m_watch.count = -1;
}

void AutoRefresh::Timer30_Timer()
{
    m_watch.check = m_announcing; // the report reads the count only when asked to
    if (!m_session.QueryStatus()) {
        m_timer30->stop();
        Q_EMIT stoppedItself();
        return;
    }
    if (m_watch.check) { // still set: the count changed
        m_watch.check = false;
        if (const std::optional<QString> text = spectatorAnnouncement(m_watch.count))
            m_session.SayToSpectators(*text);
    }
}

std::optional<QString> spectatorAnnouncement(std::int16_t count)
{
    if (count < 0)
        return std::nullopt;
    if (count == 0)
        return QStringLiteral("No spectators are watching this match");
    if (count == 1)
        return QStringLiteral("1 spectator is watching this match");
    return QString::number(count) + QStringLiteral(" spectators are watching this match");
}

} // namespace spectrel
