#include "recording/Recorder.h"

#include "core/Cues.h"
#include "core/ErrorTrap.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "link/ProxySession.h"
#include "recording/ClanNames.h"
#include "recording/CountdownText.h"
#include "text/TextRules.h"

#include <limits>

namespace spectrel {

namespace {

const QString kAlreadyRecording = QStringLiteral("HLTV proxy already recording   ");

} // namespace

Recorder::Recorder(ProxySession& session, ClanNames& clans, Notices& notices, Cues& cues, ErrorTrap& trap,
                   Clock& clock, QObject* parent)
    : QObject(parent), m_session(session), m_clans(clans), m_notices(notices), m_cues(cues), m_trap(trap),
      m_clock(clock), m_timer1(clock.createTimer())
{
    m_timer1->setInterval(1000);
    connect(m_timer1.get(), &Timer::timeout, this, [this] { m_trap.run([this] { Timer1_Timer(); }); });
    connect(&m_session, &ProxySession::wentOffline, this, &Recorder::cancel);
    m_session.setCountdownSource(this);
}

Recorder::~Recorder()
{
    m_session.setCountdownSource(nullptr);
}

QString Recorder::offlineWarning()
{
    return QStringLiteral("HLTV proxy offline or not connected to game server   ");
}

CountdownState Recorder::countdown() const
{
    return {m_countdownMode, m_timer1->isActive()};
}

Recorder::Outcome Recorder::recordNow()
{
    return act(true, false);
}
Recorder::Outcome Recorder::stopNow()
{
    return act(false, false);
}
Recorder::Outcome Recorder::recordAfterDelay()
{
    return act(true, true);
}
Recorder::Outcome Recorder::stopAfterDelay()
{
    return act(false, true);
}

void Recorder::cancel()
{
    const bool counting = m_timer1->isActive();
    m_timer1->stop();
    m_countdownMode = CountdownMode::None;
    if (counting)
        Q_EMIT countdownCancelled();
}

bool Recorder::prologue(bool checkClanNames, Outcome& outcome)
{
    m_cues.PlayCue(CueClick);
    cancel(); // the label keeps its text until something writes it again
    if (checkClanNames && m_clans.ClanNamesInvalid()) {
        outcome = Outcome::Refused;
        return false;
    }
    if (!m_session.QueryStatus()) {
        m_cues.PlayCue(CueFailure);
        outcome = Outcome::QueryFailed;
        return false;
    }
    return true;
}

Recorder::Outcome Recorder::act(bool start, bool afterDelay)
{
    // The countdown is counted from the press, not from the status answer that follows it.
    const qint64 pressedAt = m_clock.nowMs();
    Outcome outcome = Outcome::Nothing;
    if (!prologue(start, outcome))
        return outcome;
    const ProxyState state = m_session.panel().proxyState;
    if (state != ProxyState::Recording && state != ProxyState::Connected)
        return refuse(offlineWarning());
    if (start) {
        if (state == ProxyState::Recording)
            return refuse(kAlreadyRecording);
        if (afterDelay) {
            startCountdown(CountdownMode::Start, pressedAt);
            return Outcome::CountingDown;
        }
        return m_session.StartRecording(m_clans.demoName()) ? Outcome::Sent : Outcome::SendFailed;
    }
    if (state != ProxyState::Recording)
        return Outcome::Nothing;
    if (afterDelay) {
        startCountdown(CountdownMode::Stop, pressedAt);
        return Outcome::CountingDown;
    }
    return m_session.StopRecording() ? Outcome::Sent : Outcome::SendFailed;
}

Recorder::Outcome Recorder::refuse(const QString& warning)
{
    m_cues.PlayCue(CueFailure);
    m_notices.ShowNotice(warning, NoticeWarning, QStringLiteral("Warning"));
    return Outcome::Refused;
}

void Recorder::startCountdown(CountdownMode mode, qint64 pressedAt)
{
    // The label shows the delay as read, negative too; a negative one counts down past zero at the first
    // tick, so the command goes out then.
    // The delay as the report gave it, rounded to whole seconds (halves to even); beyond 16 bits it
    // overflows.
    const std::int16_t seconds = text::roundToInt16(m_session.panel().delaySeconds);
    m_countdownSeconds = seconds;
    showCountdown(countdown::counting(mode, seconds));
    m_countdownMode = mode;
    m_timer1->startFrom(pressedAt);
    if (mode == CountdownMode::Start)
        m_session.enableStopNow(); // from here on "Stop now" can cancel the pending start
    qCDebug(lcRecording) << (mode == CountdownMode::Start ? "start" : "stop") << "countdown of" << seconds
                         << "s";
}

void Recorder::showCountdown(const QString& text)
{
    m_session.showCountdown(text);
    Q_EMIT countdownShown(text);
}

void Recorder::Timer1_Timer()
{
    if (m_countdownSeconds == std::numeric_limits<std::int16_t>::min())
        throw RuntimeFailure::overflow();
    --m_countdownSeconds;
    if (m_countdownSeconds > 0) {
        showCountdown(countdown::counting(m_countdownMode, m_countdownSeconds));
        return;
    }
    if (m_countdownSeconds == 0) {
        showCountdown(countdown::lastSecond(m_countdownMode));
        return;
    }
    m_timer1->stop();
    const Outcome outcome = runOut();
    // Every run-out ends the countdown, also one that ended in a notice or a failed query, so a stale
    // countdown text never outlives it.
    m_countdownMode = CountdownMode::None;
    Q_EMIT finished(outcome);
}

Recorder::Outcome Recorder::runOut()
{
    const bool start = m_countdownMode == CountdownMode::Start;
    if (start && m_clans.ClanNamesInvalid())
        return Outcome::Refused;
    if (!m_session.QueryStatus()) {
        m_cues.PlayCue(CueFailure);
        return Outcome::QueryFailed;
    }
    const ProxyState state = m_session.panel().proxyState;
    if (state == ProxyState::Offline)
        return refuse(offlineWarning());
    if (start && state == ProxyState::Recording)
        return refuse(kAlreadyRecording);
    m_countdownMode = CountdownMode::None;
    if (start && state == ProxyState::Connected)
        return m_session.StartRecording(m_clans.demoName()) ? Outcome::Sent : Outcome::SendFailed;
    if (!start && state == ProxyState::Recording)
        return m_session.StopRecording() ? Outcome::Sent : Outcome::SendFailed;
    return Outcome::Nothing;
}

} // namespace spectrel
