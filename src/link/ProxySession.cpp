#include "link/ProxySession.h"

#include "link/LinkLog.h"
#include "link/RconProtocol.h"
#include "shell/Cues.h"

namespace spectrel {

ProxySession::ProxySession(SessionControls& controls, Notices& notices, Cues& cues, TextWidth widthTwips,
                           QObject* parent)
    : QObject(parent), m_controls(controls), m_cues(cues), m_widthTwips(std::move(widthTwips)),
      m_link(controls, *this, notices, cues, this)
{
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
    return commandRequest(QStringLiteral("say ") + text, rcon::kSayDone);
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
    m_controls.offlineControls();
    m_panel.goOffline();
    m_link.setPendingCommand(rcon::kError);
    m_controls.panelChanged();
}

void ProxySession::statusReportArrived(const QString& s)
{
    const StatusReading reading = readStatusReport(s, m_spectators, m_controls.countdownMode(), m_widthTwips);
    switch (reading.outcome) {
    case StatusReading::Outcome::NoGameServer:
        ResetToOffline();
        m_link.setPendingCommand(rcon::kStatusDone);
        return;
    case StatusReading::Outcome::Unreadable:
        qCInfo(lcLink) << "unreadable status report:" << reading.failure;
        ResetToOffline();
        return;
    case StatusReading::Outcome::Connected:
        if (reading.showDemoPage)
            m_controls.showDemoPage();
        m_panel.applyConnected(reading, m_controls.countdownRunning());
        m_controls.panelChanged();
        m_link.setPendingCommand(rcon::kStatusDone);
        return;
    }
}

void ProxySession::recordingStartedArrived()
{
    m_cues.PlayCue(CueStart);
    if (!QueryStatus())
        return; // the record request whose reply this is fails with the status request
    if (m_controls.announceStart())
        SayToSpectators(QStringLiteral("Started recording HLTV demo"));
    m_link.setPendingCommand(rcon::kRecordDone);
}

void ProxySession::recordingCompletedArrived()
{
    m_cues.PlayCue(CueFinish);
    if (!QueryStatus())
        return;
    if (m_controls.announceEnd())
        SayToSpectators(QStringLiteral("Finished recording HLTV demo"));
    m_link.setPendingCommand(rcon::kStopDone);
}

} // namespace spectrel
