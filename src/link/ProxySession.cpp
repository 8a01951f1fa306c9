#include "link/ProxySession.h"

#include "core/Cues.h"
#include "core/Logging.h"
#include "link/RconProtocol.h"

namespace spectrel {

ProxySession::ProxySession(const RconLink::Services& services, TextWidth widthTwips, QObject* parent)
    : QObject(parent), m_cues(services.cues), m_widthTwips(std::move(widthTwips)),
      m_link(services, *this, this)
{
    connect(&m_link, &RconLink::mustEnd, this, &ProxySession::programMustEnd);
}

bool ProxySession::QueryStatus()
{
    return m_link.request(QStringLiteral("status"), rcon::kStatusDone);
}

bool ProxySession::StartRecording(const QString& demoName)
{
    return commandRequest(QStringLiteral("record \"") + demoName + QStringLiteral("\""), rcon::kRecordDone);
}

bool ProxySession::StopRecording()
{
    return commandRequest(QStringLiteral("stoprecording"), rcon::kStopDone);
}

bool ProxySession::SayToSpectators(const QString& text)
{
    return commandRequest(QStringLiteral("say ") + text, rcon::kCommandSent);
}

bool ProxySession::commandRequest(const QString& command, const QString& doneCode)
{
    const bool ok = m_link.request(command, doneCode);
    if (!ok)
        m_cues.PlayCue(CueFailure);
    return ok;
}

void ProxySession::ResetToOffline()
{
    Q_EMIT wentOffline();
    m_panel.goOffline();
    m_link.setPendingCommand(rcon::kError);
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

void ProxySession::statusReportArrived(const QString& s)
{
    const StatusReading reading = readStatusReport(s, m_spectators, m_countdownMode, m_widthTwips);
    switch (reading.outcome) {
    case StatusReading::Outcome::NoGameServer:
        ResetToOffline();
        m_link.setPendingCommand(rcon::kStatusDone);
        return;
    case StatusReading::Outcome::Unreadable:
        qCInfo(lcLink) << "unreadable status report:" << reading.failure;
        if (reading.showDemoPage) {
            Q_EMIT recordingPageWanted();
            m_panel.demoInRecordingColour = true;
        }
        ResetToOffline();
        return;
    case StatusReading::Outcome::Connected:
        if (reading.showDemoPage)
            Q_EMIT recordingPageWanted();
        m_panel.applyConnected(reading, m_countdownRunning);
        Q_EMIT panelChanged();
        m_link.setPendingCommand(rcon::kStatusDone);
        return;
    }
}

void ProxySession::recordingStartedArrived()
{
    m_cues.PlayCue(CueStart);
    if (!QueryStatus())
        return; // the record request whose reply this is fails with the status request
    if (m_announceStart)
        SayToSpectators(QStringLiteral("Started recording HLTV demo"));
    m_link.setPendingCommand(rcon::kRecordDone);
}

void ProxySession::recordingCompletedArrived()
{
    m_cues.PlayCue(CueFinish);
    if (!QueryStatus())
        return;
    if (m_announceEnd)
        SayToSpectators(QStringLiteral("Finished recording HLTV demo"));
    m_link.setPendingCommand(rcon::kStopDone);
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
