#include "link/ProxySession.h"

#include "core/Cues.h"
#include "core/Logging.h"

namespace spectrel {

ProxySession::ProxySession(const RconLink::Services& services, TextWidth widthTwips, QObject* parent)
    : QObject(parent), m_cues(services.cues), m_widthTwips(std::move(widthTwips)),
      m_link(services, *this, this)
{
    connect(&m_link, &RconLink::mustEnd, this, &ProxySession::programMustEnd);
}

bool ProxySession::QueryStatus()
{
    return m_link.request(QStringLiteral("status"), Outcome::StatusRead);
}

bool ProxySession::StartRecording(const QString& demoName)
{
    return commandRequest(QStringLiteral("record \"") + demoName + QStringLiteral("\""),
                          Outcome::RecordingStarted);
}

bool ProxySession::StopRecording()
{
    return commandRequest(QStringLiteral("stoprecording"), Outcome::RecordingCompleted);
}

bool ProxySession::SayToSpectators(const QString& text)
{
    return commandRequest(QStringLiteral("say ") + text, Outcome::CommandSent);
}

bool ProxySession::commandRequest(const QString& command, Outcome done)
{
    const bool ok = m_link.request(command, done);
    if (!ok)
        m_cues.PlayCue(CueFailure);
    return ok;
}

void ProxySession::ResetToOffline()
{
    Q_EMIT wentOffline();
    m_panel.goOffline();
    Q_EMIT panelChanged();
}

void ProxySession::showCountdown(const QString& text)
{
    m_panel.demo = text;
    m_panel.demoInRecordingColour = false;
    Q_EMIT panelChanged();
}

void ProxySession::enableStopNow()
{
    m_panel.stopNowEnabled = true;
    Q_EMIT panelChanged();
}

std::optional<Outcome> ProxySession::statusReportArrived(const QString& s)
{
    const CountdownState countdown = m_countdown ? m_countdown->countdown() : CountdownState{};
    SpectatorWatch unwatched;
    const StatusReading reading =
        readStatusReport(s, m_spectators ? *m_spectators : unwatched, countdown.mode, m_widthTwips);
    switch (reading.outcome) {
    case StatusReading::Outcome::NoGameServer:
        ResetToOffline();
        return Outcome::StatusRead; // offline, yet the request succeeds
    case StatusReading::Outcome::Unreadable:
        qCInfo(lcLink) << "unreadable status report:" << reading.failure;
        if (reading.showDemoPage) {
            Q_EMIT recordingPageWanted();
            m_panel.demoInRecordingColour = true;
        }
        ResetToOffline();
        return Outcome::Failed;
    case StatusReading::Outcome::Connected:
        if (reading.showDemoPage)
            Q_EMIT recordingPageWanted();
        m_panel.applyConnected(reading, countdown.running);
        Q_EMIT panelChanged();
        return Outcome::StatusRead;
    }
    return Outcome::Failed;
}

std::optional<Outcome> ProxySession::recordingStartedArrived()
{
    m_cues.PlayCue(CueStart);
    if (!QueryStatus())
        return std::nullopt; // the record request whose reply this is failed with the status request
    if (m_announceStart)
        SayToSpectators(QStringLiteral("Started recording HLTV demo"));
    return Outcome::RecordingStarted;
}

std::optional<Outcome> ProxySession::recordingCompletedArrived()
{
    m_cues.PlayCue(CueFinish);
    if (!QueryStatus())
        return std::nullopt;
    if (m_announceEnd)
        SayToSpectators(QStringLiteral("Finished recording HLTV demo"));
    return Outcome::RecordingCompleted;
}

} // namespace spectrel
